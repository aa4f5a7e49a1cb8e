// The panel's keys as the tools see them: what each key is called and shows, where it lies on a
// face, and the cells of its popup, all from the layout tables and the panel's own rules.
#ifndef KWENO_TOOLKIT_KEYS_H
#define KWENO_TOOLKIT_KEYS_H

#include <string>
#include <vector>

#include "model/keyboard.h"

// What the keyboard shows, numbered by the panel's own mode numbers, so that the two cannot drift
// apart; shift and caps share the upper-case layout.
enum class Face {
    Lower = MODE_LOWER,
    Shift = MODE_SHIFT,
    Caps = MODE_CAPS,
    Numeric = MODE_NUMERIC,
    Symbols = MODE_SYMBOLS
};
const int FACE_COUNT = LAYOUT_MODES;

// "lower", "shift", "caps", "numeric", "symbols".
const char *faceName(Face face);
bool faceFromName(const std::string &name, Face *face);

// The layout that a face shows in an orientation.
const KeyboardLayout &layoutFor(Face face, bool portrait);
const RowBounds &rowBoundsFor(Face face, bool portrait);

// What a key is, read from its record: flags first, then the editing keys' codes, then its character.
enum class KeyKind { None, Character, Shift, Numeric, Symbols, Letters, Calculator, Tab, Backspace, Return, Space };
KeyKind keyKind(const KeyRecord &key);
// The label a script uses for a key: the character it types ("a", "ß", ","), or a name for the
// keys that type none or a control code ("shift", "backspace", "123", "calc"...).
std::string keyLabel(const KeyRecord &key);
// The text a key's cap shows: its character, or the word of a mode key ("#+="); empty for the keys
// that show a symbol.
std::u32string keyCapText(const KeyRecord &key);
// The label of an alternative of a popup: its character.
std::string alternativeLabel(const KeyRecord &alternative);
// Aliases for the named keys ("enter" for "return", "numeric" for "123"...), folded to the names
// keyLabel gives; any other text comes back as it is.
std::string canonicalLabel(const std::string &label);

// A key of the layout on screen, with its rectangle in layout coordinates (edges inclusive).
struct KeyRef {
    const KeyRecord *key = nullptr;
    RECT rect = {0, 0, 0, 0};
};

// Every key of a face's layout, left to right and top to bottom, each with the rectangle the
// panel's hit test gives it.
std::vector<KeyRef> keysOf(Face face, bool portrait);
// The key with this label in the layout of the face; false if it carries none.
bool findKey(Face face, bool portrait, const std::string &label, KeyRef *found);
// Whether any layout or popup carries the label at all, so that a script can be checked before it runs.
bool labelExists(const std::string &label);

// The popup's picture stands in the panel's letter window: its height tells it from the magnifier.
bool isPopupWindow(const RECT &screenRect);
// The alternatives in the key's popup.
int popupCellCount(const KeyRef &key);
// Screen point in the middle of cell (1-based) of the key's popup, whose window stands at popup
// (screen coordinates): the cells lie where the panel draws them.
POINT popupCellCentre(const KeyRef &key, const RECT &popup, int cell);
// The 1-based cell of the key's popup holding the label, 0 if none does.
int popupCellOf(const KeyRef &key, const std::string &label);

#endif // KWENO_TOOLKIT_KEYS_H
