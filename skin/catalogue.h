// The images a resource module holds for the panel, enumerated from the panel's own tables.
#ifndef KWENO_SKIN_CATALOGUE_H
#define KWENO_SKIN_CATALOGUE_H

#include <cstdint>
#include <string>
#include <vector>

#include "model/keyboard.h"
#include "server/variants.h"
#include "surface/imageids.h"

namespace skin {

// The deliverables, as the panel's variant table numbers them.
typedef VariantIndex Variant;

// Which picture of a pair: the pressed one serves both variants.
enum Picture { PICTURE_PRESSED, PICTURE_DAY, PICTURE_NIGHT };

const char *pictureName(Picture picture);

// One mode in one orientation: the layout the panel shows and the id of its pressed face.
struct FaceEntry {
    int mode;
    const char *modeName;
    bool portrait;
    const KeyboardLayout *layout;
    const LONG *rows; // the layout's row bounds, 5 values
    int width;
    int height;
    LONG pressedId;
};

// The ten faces (modes 0 to 4, portrait then landscape for each).
std::vector<FaceEntry> allFaces();

// The alternatives lists reachable from the eight layouts, each once, in the order the layouts and
// their rows are walked. Each entry points at the list's header (slot 0).
std::vector<const KeyRecord *> alternativesLists();

// Ids from the panel's variant table, so that the skin follows the panel.
LONG normalImageId(LONG pressedId, Variant variant);
UINT panelIconId(Variant variant);
const int ICON_SIZE = PANEL_ICON_SIZE;
// The panel's mask colour, which ImageList_AddMasked treats as transparent, as 0x00RRGGBB.
const uint32_t ICON_TRANSPARENT =
    (PANEL_ICON_MASK & 0xFF) << 16 | (PANEL_ICON_MASK & 0xFF00) | ((PANEL_ICON_MASK >> 16) & 0xFF);

LONG pictureId(LONG pressedId, Picture picture);

// The popup's owning key's character, for names a person can read ("o", "$").
uint32_t popupOwnerCharacter(const KeyRecord *list);

enum ImageKind { IMAGE_FACE, IMAGE_POPUP, IMAGE_ICON };

// One picture the panel asks the module for.
struct ImageEntry {
    LONG id;
    ImageKind kind;
    Picture picture;         // the icon has only a day and a night picture
    std::string name;        // for files: "face-lower-portrait-day", "popup-0x2060-night", "icon-day"
    std::string description; // for people: "lower-case portrait face, day"
    int width;
    int height;
    FaceEntry face;        // for faces
    const KeyRecord *list; // for popups: the list's header
};

// Every picture of a complete module: three per face and per popup, and the two icons.
std::vector<ImageEntry> allImages();

// Whether the panel of this variant asks for the picture (the pressed ones serve both).
bool usedBy(const ImageEntry &entry, Variant variant);

// A code point as "U+215B ⅛" for messages.
std::string describeCharacter(uint32_t codePoint);

} // namespace skin

#endif // KWENO_SKIN_CATALOGUE_H
