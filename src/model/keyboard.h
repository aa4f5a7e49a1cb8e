// Key, row, layout and alternatives records, the key flag bits and the eight built-in layouts.
#ifndef KWENO_KEYBOARD_H
#define KWENO_KEYBOARD_H

#include <windows.h>

// One key of a layout row, one alternative of a popup list, or the header of such a list.
// In a list header: left/right are the popup's content offsets, character is the 1-based default
// index and flags is the ImageId of the popup's highlighted picture.
struct KeyRecord {
    LONG left;  // first pixel column, layout coordinates
    LONG right; // last pixel column, inclusive
    BYTE vk;    // platform virtual-key code; SENTINEL_VK ends a row or a list
    UINT character;
    UINT flags;
    const KeyRecord *alternatives; // slot 0 (the header) of the key's alternatives list, or null
};

enum {
    KEY_VIRTUAL = 0x1,
    KEY_PRESSED = 0x2, // run-time only: drawn pressed
    KEY_SHIFT = 0x4,
    KEY_TO_NUMERIC = 0x8,
    KEY_TO_SYMBOLS = 0x10,
    KEY_TO_LETTERS = 0x20,
    KEY_SHIFTED = 0x40,
    KEY_CALCULATOR = 0x80,
    KEY_REPEAT = 0x100,

    KEY_MODE_MASK = KEY_SHIFT | KEY_TO_NUMERIC | KEY_TO_SYMBOLS | KEY_TO_LETTERS
};

// The platform's code of the End key, which no key of this panel sends; marks the end of a walk.
const BYTE SENTINEL_VK = 0x23;

const int ROW_SLOTS = 11; // up to 10 keys and the sentinel
const int ROW_COUNT = 4;
const int LIST_SLOTS = 11; // header, up to 9 alternatives and the sentinel

typedef KeyRecord KeyRow[ROW_SLOTS];
typedef KeyRow KeyboardLayout[ROW_COUNT];
typedef LONG RowBounds[ROW_COUNT + 1];
typedef KeyRecord AlternativesList[LIST_SLOTS];

const LONG PORTRAIT_WIDTH = 480;
const LONG PORTRAIT_HEIGHT = 252;
const LONG LANDSCAPE_WIDTH = 640;
const LONG LANDSCAPE_HEIGHT = 216;

// Height of a cell of the alternatives popup, in both orientations.
const LONG cellHeight = 63;

// The eight layouts. Only the KEY_PRESSED bit of their records changes at run time.
extern KeyboardLayout lowerPortrait, lowerLandscape;
extern KeyboardLayout upperPortrait, upperLandscape;
extern KeyboardLayout numericPortrait, numericLandscape;
extern KeyboardLayout symbolsPortrait, symbolsLandscape;

// One row-bounds table per layout; the four of one orientation hold equal values.
extern const RowBounds lowerPortraitRows, lowerLandscapeRows;
extern const RowBounds upperPortraitRows, upperLandscapeRows;
extern const RowBounds numericPortraitRows, numericLandscapeRows;
extern const RowBounds symbolsPortraitRows, symbolsLandscapeRows;

// The keyboard's modes; shift and caps show the same layouts.
typedef DWORD KeyboardMode;
enum {
    MODE_LOWER = 0,
    MODE_SHIFT = 1,
    MODE_CAPS = 2,
    MODE_NUMERIC = 3,
    MODE_SYMBOLS = 4,
    MODE_NONE = 15 // savedMode only: no mode to return to
};

// The layout and row bounds each mode shows in each orientation, indexed by the mode (lower, shift,
// caps, numeric, symbols); shift and caps share the upper-case layouts. The one place that says
// which layout a mode shows.
struct ModeLayouts {
    KeyboardLayout *portrait;
    const RowBounds *portraitRows;
    KeyboardLayout *landscape;
    const RowBounds *landscapeRows;
};
const int LAYOUT_MODES = MODE_SYMBOLS + 1;
extern const ModeLayouts modeLayouts[LAYOUT_MODES];

// The 35 alternatives lists, never written.
extern const AlternativesList altLowerA, altLowerC, altLowerE, altLowerI, altLowerL, altLowerN, altLowerO, altLowerS,
    altLowerU, altLowerY, altLowerZ;
extern const AlternativesList altUpperA, altUpperC, altUpperE, altUpperI, altUpperL, altUpperN, altUpperO, altUpperS,
    altUpperU, altUpperY, altUpperZ;
extern const AlternativesList altDollar, altExclamation, altQuestion, altPercent, altAmpersand, altPlus, altEquals,
    altLeftBracket, altRightBracket, altHalf, altApostrophe, altQuotation, altHyphen;

inline bool isSentinel(const KeyRecord &key)
{
    return key.vk == SENTINEL_VK;
}
inline bool isModeKey(const KeyRecord &key)
{
    return (key.flags & KEY_MODE_MASK) != 0;
}

#endif // KWENO_KEYBOARD_H
