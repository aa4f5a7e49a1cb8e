// The key table of --print-keys, from the layout tables through the tools' key finder.
#include "keytable.h"

#include "keys.h"

static void printFace(FILE *out, Face face, bool portrait)
{
    const char *orientation = portrait ? "portrait" : "landscape";
    for (const KeyRef &ref : keysOf(face, portrait)) {
        std::string label = keyLabel(*ref.key);
        fprintf(out, "key %s %s %s %ld %ld\n", orientation, faceName(face), label.c_str(),
                (ref.rect.left + ref.rect.right) / 2, (ref.rect.top + ref.rect.bottom) / 2);
        // Relative to the popup's top left, which the screen tells once the popup shows.
        for (int cell = 1; cell <= popupCellCount(ref); ++cell) {
            POINT centre = popupCellCentre(ref, RECT{0, 0, 0, 0}, cell);
            fprintf(out, "cell %s %s %s %s %ld %ld\n", orientation, faceName(face), label.c_str(),
                    alternativeLabel(ref.key->alternatives[cell]).c_str(), centre.x, centre.y);
        }
    }
}

void printKeyTable(FILE *out)
{
    for (int portrait = 1; portrait >= 0; --portrait) {
        for (int face = 0; face < FACE_COUNT; ++face)
            printFace(out, static_cast<Face>(face), portrait != 0);
    }
}
