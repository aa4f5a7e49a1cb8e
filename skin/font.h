// Labels drawn with FreeType: glyph checks, measuring and centring text in a box.
#ifndef KWENO_SKIN_FONT_H
#define KWENO_SKIN_FONT_H

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "glyphs.h"

namespace skin {

typedef FontFace Font;

// The characters of the list that the font cannot draw.
std::vector<uint32_t> missingGlyphs(const Font &font, const std::vector<uint32_t> &characters);

// How a label stands in its box.
enum LabelPlacement {
    PLACE_INK_CENTRE, // the ink's middle on the box's middle: words and symbols
    PLACE_BASELINE    // capital height centred, so that "_" , "." sit low and "'" sits high, as in text
};

// Draws text centred across its ink in the box, at pixelSize or smaller until the ink fits the box.
void drawLabel(Image &image, const Font &font, const std::u32string &text, const Box &box, int pixelSize,
               uint32_t colour, LabelPlacement placement);

} // namespace skin

#endif // KWENO_SKIN_FONT_H
