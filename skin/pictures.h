// Every picture of the default skin: faces, popups and the panel icon, drawn from the tables.
#ifndef KWENO_SKIN_PICTURES_H
#define KWENO_SKIN_PICTURES_H

#include <cstdint>
#include <vector>

#include "canvas.h"
#include "catalogue.h"
#include "font.h"
#include "looks.h"

namespace skin {

struct DrawOptions {
    bool labels = true;               // false leaves the key bodies bare
    const LookSet *looks = &LOOKS[0]; // the colours
};

// A whole keyboard face, exactly the layout's size, every key at its key rectangle.
Image drawFace(const FaceEntry &face, Picture picture, const Font &font, const DrawOptions &options = DrawOptions());

// The popup of an alternatives list (pointing at its header): a margin around one cell per alternative.
// The pressed picture shows every cell highlighted.
Image drawPopup(const KeyRecord *list, Picture picture, const Font &font, const DrawOptions &options = DrawOptions());

// The 32 × 32 panel icon: a small keyboard on the transparent colour.
Image drawIcon(Variant variant);

// Every character that faces and popups draw from the font, each once.
std::vector<uint32_t> labelCharacters();

// How far a key's body stands inside its rectangle, leaving a gap between neighbours.
const double KEY_INSET = 3;

} // namespace skin

#endif // KWENO_SKIN_PICTURES_H
