// The key table of --print-keys, from the layout tables through the tools' key finder.
#include "keytable.h"

#include "keys.h"

// What keeping the pen on the key past the hold time does, as its record says: it repeats, its
// popup of alternatives opens, or nothing ("none": however long the press, its lift is one tap).
static std::string holdMeaning(const KeyRecord &key)
{
    std::string meaning;
    if (key.flags & KEY_REPEAT)
        meaning = "repeat";
    if (key.alternatives)
        meaning += meaning.empty() ? "alternatives" : ",alternatives";
    return meaning.empty() ? "none" : meaning;
}

static void printFace(FILE *out, Face face, bool portrait)
{
    const char *orientation = portrait ? "portrait" : "landscape";
    for (const KeyRef &ref : keysOf(face, portrait)) {
        std::string label = keyLabel(*ref.key);
        fprintf(out, "key %s %s %s %ld %ld %s\n", orientation, faceName(face), label.c_str(),
                (ref.rect.left + ref.rect.right) / 2, (ref.rect.top + ref.rect.bottom) / 2,
                holdMeaning(*ref.key).c_str());
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
