// Today's tables, kept for one commit as a test-only copy in namespace legacy, and a test that the
// tables expanded from the description in src/model are the same, record by record.
#include <gtest/gtest.h>

#include <string>

#include "model/keyboard.h"

namespace legacy {

// clang-format off
#define KEY(left, right, vk, character, flags, alternatives) {left, right, vk, character, flags, alternatives}
#define END(width) {width, width, SENTINEL_VK, 0, 0, 0}
#define HEADER(left, right, defaultIndex, imageId) {left, right, 0, defaultIndex, imageId, 0}
#define ALT(left, right, vk, character, flags) {left, right, vk, character, flags, 0}
#define LIST_END {640, 640, SENTINEL_VK, 0, 0, 0}
// clang-format on

// Alternatives lists. Header: content offsets, default index, ImageId of the highlighted picture.
// The default alternative repeats its key; the others go out as plain character events.

const AlternativesList altLowerA = {
    HEADER(0, 432, 1, 0x2000),
    ALT(0, 47, 0x41, 0x0061, 0), // latin small letter a, the key itself
    ALT(48, 95, 0, 0x00E0, 0),   // latin small letter a with grave
    ALT(96, 143, 0, 0x00E1, 0),  // latin small letter a with acute
    ALT(144, 191, 0, 0x00E2, 0), // latin small letter a with circumflex
    ALT(192, 239, 0, 0x00E4, 0), // latin small letter a with diaeresis
    ALT(240, 287, 0, 0x00E6, 0), // latin small letter ae
    ALT(288, 335, 0, 0x00E3, 0), // latin small letter a with tilde
    ALT(336, 383, 0, 0x00E5, 0), // latin small letter a with ring above
    ALT(384, 431, 0, 0x0101, 0), // latin small letter a with macron
    LIST_END,
};

const AlternativesList altLowerC = {
    HEADER(0, 192, 1, 0x2010),
    ALT(0, 47, 0x43, 0x0063, 0), // latin small letter c, the key itself
    ALT(48, 95, 0, 0x00E7, 0),   // latin small letter c with cedilla
    ALT(96, 143, 0, 0x0107, 0),  // latin small letter c with acute
    ALT(144, 191, 0, 0x010D, 0), // latin small letter c with caron
    LIST_END,
};

const AlternativesList altLowerE = {
    HEADER(0, 384, 1, 0x2020),
    ALT(0, 47, 0x45, 0x0065, 0), // latin small letter e, the key itself
    ALT(48, 95, 0, 0x00E8, 0),   // latin small letter e with grave
    ALT(96, 143, 0, 0x00E9, 0),  // latin small letter e with acute
    ALT(144, 191, 0, 0x00EA, 0), // latin small letter e with circumflex
    ALT(192, 239, 0, 0x00EB, 0), // latin small letter e with diaeresis
    ALT(240, 287, 0, 0x0113, 0), // latin small letter e with macron
    ALT(288, 335, 0, 0x0117, 0), // latin small letter e with dot above
    ALT(336, 383, 0, 0x0119, 0), // latin small letter e with ogonek
    LIST_END,
};

const AlternativesList altLowerI = {
    HEADER(-288, 48, 7, 0x2030),
    ALT(0, 47, 0, 0x00EC, 0),       // latin small letter i with grave
    ALT(48, 95, 0, 0x012F, 0),      // latin small letter i with ogonek
    ALT(96, 143, 0, 0x012B, 0),     // latin small letter i with macron
    ALT(144, 191, 0, 0x00ED, 0),    // latin small letter i with acute
    ALT(192, 239, 0, 0x00EF, 0),    // latin small letter i with diaeresis
    ALT(240, 287, 0, 0x00EE, 0),    // latin small letter i with circumflex
    ALT(288, 335, 0x49, 0x0069, 0), // latin small letter i, the key itself
    LIST_END,
};

const AlternativesList altLowerL = {
    HEADER(-48, 48, 2, 0x2040),
    ALT(0, 47, 0, 0x0142, 0),     // latin small letter l with stroke
    ALT(48, 95, 0x4C, 0x006C, 0), // latin small letter l, the key itself
    LIST_END,
};

const AlternativesList altLowerN = {
    HEADER(-96, 48, 3, 0x2050),
    ALT(0, 47, 0, 0x0144, 0),      // latin small letter n with acute
    ALT(48, 95, 0, 0x00F1, 0),     // latin small letter n with tilde
    ALT(96, 143, 0x4E, 0x006E, 0), // latin small letter n, the key itself
    LIST_END,
};

const AlternativesList altLowerO = {
    HEADER(-384, 48, 9, 0x2060),
    ALT(0, 47, 0, 0x00F5, 0),       // latin small letter o with tilde
    ALT(48, 95, 0, 0x014D, 0),      // latin small letter o with macron
    ALT(96, 143, 0, 0x00F8, 0),     // latin small letter o with stroke
    ALT(144, 191, 0, 0x0153, 0),    // latin small ligature oe
    ALT(192, 239, 0, 0x00F3, 0),    // latin small letter o with acute
    ALT(240, 287, 0, 0x00F2, 0),    // latin small letter o with grave
    ALT(288, 335, 0, 0x00F6, 0),    // latin small letter o with diaeresis
    ALT(336, 383, 0, 0x00F4, 0),    // latin small letter o with circumflex
    ALT(384, 431, 0x4F, 0x006F, 0), // latin small letter o, the key itself
    LIST_END,
};

const AlternativesList altLowerS = {
    HEADER(0, 192, 1, 0x2070),
    ALT(0, 47, 0x53, 0x0073, 0), // latin small letter s, the key itself
    ALT(48, 95, 0, 0x0161, 0),   // latin small letter s with caron
    ALT(96, 143, 0, 0x015B, 0),  // latin small letter s with acute
    ALT(144, 191, 0, 0x00DF, 0), // latin small letter sharp s
    LIST_END,
};

const AlternativesList altLowerU = {
    HEADER(-240, 48, 6, 0x2080),
    ALT(0, 47, 0, 0x016B, 0),       // latin small letter u with macron
    ALT(48, 95, 0, 0x00FA, 0),      // latin small letter u with acute
    ALT(96, 143, 0, 0x00F9, 0),     // latin small letter u with grave
    ALT(144, 191, 0, 0x00FC, 0),    // latin small letter u with diaeresis
    ALT(192, 239, 0, 0x00FB, 0),    // latin small letter u with circumflex
    ALT(240, 287, 0x55, 0x0075, 0), // latin small letter u, the key itself
    LIST_END,
};

const AlternativesList altLowerY = {
    HEADER(-48, 48, 2, 0x2090),
    ALT(0, 47, 0, 0x00FF, 0),     // latin small letter y with diaeresis
    ALT(48, 95, 0x59, 0x0079, 0), // latin small letter y, the key itself
    LIST_END,
};

const AlternativesList altLowerZ = {
    HEADER(0, 192, 1, 0x20A0),
    ALT(0, 47, 0x5A, 0x007A, 0), // latin small letter z, the key itself
    ALT(48, 95, 0, 0x017E, 0),   // latin small letter z with caron
    ALT(96, 143, 0, 0x017A, 0),  // latin small letter z with acute
    ALT(144, 191, 0, 0x017C, 0), // latin small letter z with dot above
    LIST_END,
};

const AlternativesList altUpperA = {
    HEADER(0, 432, 1, 0x2100),
    ALT(0, 47, 0x41, 0x0041, KEY_SHIFTED), // latin capital letter a, the key itself
    ALT(48, 95, 0, 0x00C0, 0),             // latin capital letter a with grave
    ALT(96, 143, 0, 0x00C1, 0),            // latin capital letter a with acute
    ALT(144, 191, 0, 0x00C2, 0),           // latin capital letter a with circumflex
    ALT(192, 239, 0, 0x00C4, 0),           // latin capital letter a with diaeresis
    ALT(240, 287, 0, 0x00C6, 0),           // latin capital letter ae
    ALT(288, 335, 0, 0x00C3, 0),           // latin capital letter a with tilde
    ALT(336, 383, 0, 0x00C5, 0),           // latin capital letter a with ring above
    ALT(384, 431, 0, 0x0100, 0),           // latin capital letter a with macron
    LIST_END,
};

const AlternativesList altUpperC = {
    HEADER(0, 192, 1, 0x2110),
    ALT(0, 47, 0x43, 0x0043, KEY_SHIFTED), // latin capital letter c, the key itself
    ALT(48, 95, 0, 0x00C7, 0),             // latin capital letter c with cedilla
    ALT(96, 143, 0, 0x0106, 0),            // latin capital letter c with acute
    ALT(144, 191, 0, 0x010C, 0),           // latin capital letter c with caron
    LIST_END,
};

const AlternativesList altUpperE = {
    HEADER(0, 384, 1, 0x2120),
    ALT(0, 47, 0x45, 0x0045, KEY_SHIFTED), // latin capital letter e, the key itself
    ALT(48, 95, 0, 0x00C8, 0),             // latin capital letter e with grave
    ALT(96, 143, 0, 0x00C9, 0),            // latin capital letter e with acute
    ALT(144, 191, 0, 0x00CA, 0),           // latin capital letter e with circumflex
    ALT(192, 239, 0, 0x00CB, 0),           // latin capital letter e with diaeresis
    ALT(240, 287, 0, 0x0112, 0),           // latin capital letter e with macron
    ALT(288, 335, 0, 0x0116, 0),           // latin capital letter e with dot above
    ALT(336, 383, 0, 0x0118, 0),           // latin capital letter e with ogonek
    LIST_END,
};

const AlternativesList altUpperI = {
    HEADER(-288, 48, 7, 0x2130),
    ALT(0, 47, 0, 0x00CC, 0),                 // latin capital letter i with grave
    ALT(48, 95, 0, 0x012E, 0),                // latin capital letter i with ogonek
    ALT(96, 143, 0, 0x012A, 0),               // latin capital letter i with macron
    ALT(144, 191, 0, 0x00CD, 0),              // latin capital letter i with acute
    ALT(192, 239, 0, 0x00CF, 0),              // latin capital letter i with diaeresis
    ALT(240, 287, 0, 0x00CE, 0),              // latin capital letter i with circumflex
    ALT(288, 335, 0x49, 0x0049, KEY_SHIFTED), // latin capital letter i, the key itself
    LIST_END,
};

const AlternativesList altUpperL = {
    HEADER(-48, 48, 2, 0x2140),
    ALT(0, 47, 0, 0x0141, 0),               // latin capital letter l with stroke
    ALT(48, 95, 0x4C, 0x004C, KEY_SHIFTED), // latin capital letter l, the key itself
    LIST_END,
};

const AlternativesList altUpperN = {
    HEADER(-96, 48, 3, 0x2150),
    ALT(0, 47, 0, 0x0143, 0),                // latin capital letter n with acute
    ALT(48, 95, 0, 0x00D1, 0),               // latin capital letter n with tilde
    ALT(96, 143, 0x4E, 0x004E, KEY_SHIFTED), // latin capital letter n, the key itself
    LIST_END,
};

const AlternativesList altUpperO = {
    HEADER(-384, 48, 9, 0x2160),
    ALT(0, 47, 0, 0x00D5, 0),                 // latin capital letter o with tilde
    ALT(48, 95, 0, 0x014C, 0),                // latin capital letter o with macron
    ALT(96, 143, 0, 0x00D8, 0),               // latin capital letter o with stroke
    ALT(144, 191, 0, 0x0152, 0),              // latin capital ligature oe
    ALT(192, 239, 0, 0x00D3, 0),              // latin capital letter o with acute
    ALT(240, 287, 0, 0x00D2, 0),              // latin capital letter o with grave
    ALT(288, 335, 0, 0x00D6, 0),              // latin capital letter o with diaeresis
    ALT(336, 383, 0, 0x00D4, 0),              // latin capital letter o with circumflex
    ALT(384, 431, 0x4F, 0x004F, KEY_SHIFTED), // latin capital letter o, the key itself
    LIST_END,
};

const AlternativesList altUpperS = {
    HEADER(0, 144, 1, 0x2170),
    ALT(0, 47, 0x53, 0x0053, KEY_SHIFTED), // latin capital letter s, the key itself
    ALT(48, 95, 0, 0x0160, 0),             // latin capital letter s with caron
    ALT(96, 143, 0, 0x015A, 0),            // latin capital letter s with acute
    LIST_END,
};

const AlternativesList altUpperU = {
    HEADER(-240, 48, 6, 0x2180),
    ALT(0, 47, 0, 0x016A, 0),                 // latin capital letter u with macron
    ALT(48, 95, 0, 0x00DA, 0),                // latin capital letter u with acute
    ALT(96, 143, 0, 0x00D9, 0),               // latin capital letter u with grave
    ALT(144, 191, 0, 0x00DC, 0),              // latin capital letter u with diaeresis
    ALT(192, 239, 0, 0x00DB, 0),              // latin capital letter u with circumflex
    ALT(240, 287, 0x55, 0x0055, KEY_SHIFTED), // latin capital letter u, the key itself
    LIST_END,
};

const AlternativesList altUpperY = {
    HEADER(-48, 48, 2, 0x2190),
    ALT(0, 47, 0, 0x0178, 0),               // latin capital letter y with diaeresis
    ALT(48, 95, 0x59, 0x0059, KEY_SHIFTED), // latin capital letter y, the key itself
    LIST_END,
};

const AlternativesList altUpperZ = {
    HEADER(0, 192, 1, 0x21A0),
    ALT(0, 47, 0x5A, 0x005A, KEY_SHIFTED), // latin capital letter z, the key itself
    ALT(48, 95, 0, 0x017D, 0),             // latin capital letter z with caron
    ALT(96, 143, 0, 0x0179, 0),            // latin capital letter z with acute
    ALT(144, 191, 0, 0x017B, 0),           // latin capital letter z with dot above
    LIST_END,
};

const AlternativesList altDollar = {
    HEADER(0, 240, 1, 0x2200),
    ALT(0, 47, 0x34, 0x0024, KEY_SHIFTED), // dollar sign, the key itself
    ALT(48, 95, 0, 0x00A2, 0),             // cent sign
    ALT(96, 143, 0, 0x00A3, 0),            // pound sign
    ALT(144, 191, 0, 0x00A5, 0),           // yen sign
    ALT(192, 239, 0, 0x20AC, 0),           // euro sign
    LIST_END,
};

const AlternativesList altExclamation = {
    HEADER(0, 96, 1, 0x2210),
    ALT(0, 47, 0x31, 0x0021, KEY_SHIFTED), // exclamation mark, the key itself
    ALT(48, 95, 0, 0x00A1, 0),             // inverted exclamation mark
    LIST_END,
};

const AlternativesList altQuestion = {
    HEADER(-48, 48, 2, 0x2220),
    ALT(0, 47, 0, 0x00BF, 0),               // inverted question mark
    ALT(48, 95, 0xBF, 0x003F, KEY_SHIFTED), // question mark, the key itself
    LIST_END,
};

const AlternativesList altPercent = {
    HEADER(0, 96, 1, 0x2230),
    ALT(0, 47, 0x35, 0x0025, KEY_SHIFTED), // percent sign, the key itself
    ALT(48, 95, 0, 0x2030, 0),             // per mille sign
    LIST_END,
};

const AlternativesList altAmpersand = {
    HEADER(-48, 48, 2, 0x2240),
    ALT(0, 47, 0, 0x00A7, 0),               // section sign
    ALT(48, 95, 0x37, 0x0026, KEY_SHIFTED), // ampersand, the key itself
    LIST_END,
};

const AlternativesList altPlus = {
    HEADER(-144, 192, 4, 0x2250),
    ALT(0, 47, 0, 0x00F7, 0),                 // division sign
    ALT(48, 95, 0, 0x00D7, 0),                // multiplication sign
    ALT(96, 143, 0, 0x221A, 0),               // square root
    ALT(144, 191, 0xBB, 0x002B, KEY_SHIFTED), // plus sign, the key itself
    ALT(192, 239, 0, 0x00B1, 0),              // plus-minus sign
    ALT(240, 287, 0, 0x03C0, 0),              // greek small letter pi
    ALT(288, 335, 0, 0x221E, 0),              // infinity
    LIST_END,
};

const AlternativesList altEquals = {
    HEADER(-96, 48, 3, 0x2260),
    ALT(0, 47, 0, 0x2260, 0),      // not equal to
    ALT(48, 95, 0, 0x2248, 0),     // almost equal to
    ALT(96, 143, 0xBB, 0x003D, 0), // equals sign, the key itself
    LIST_END,
};

const AlternativesList altLeftBracket = {
    HEADER(-144, 48, 4, 0x2270),
    ALT(0, 47, 0, 0x2264, 0),                 // less-than or equal to
    ALT(48, 95, 0, 0x003C, 0),                // less-than sign
    ALT(96, 143, 0, 0x007B, 0),               // left curly bracket
    ALT(144, 191, 0xDB, 0x005B, KEY_SHIFTED), // left square bracket, the key itself
    LIST_END,
};

const AlternativesList altRightBracket = {
    HEADER(-144, 48, 4, 0x2280),
    ALT(0, 47, 0, 0x2265, 0),                 // greater-than or equal to
    ALT(48, 95, 0, 0x003E, 0),                // greater-than sign
    ALT(96, 143, 0, 0x007D, 0),               // right curly bracket
    ALT(144, 191, 0xDD, 0x005D, KEY_SHIFTED), // right square bracket, the key itself
    LIST_END,
};

const AlternativesList altHalf = {
    HEADER(-144, 192, 4, 0x2290),
    ALT(0, 47, 0, 0x215B, 0),    // vulgar fraction one eighth
    ALT(48, 95, 0, 0x00BC, 0),   // vulgar fraction one quarter
    ALT(96, 143, 0, 0x215C, 0),  // vulgar fraction three eighths
    ALT(144, 191, 0, 0x00BD, 0), // vulgar fraction one half, the key itself
    ALT(192, 239, 0, 0x215D, 0), // vulgar fraction five eighths
    ALT(240, 287, 0, 0x00BE, 0), // vulgar fraction three quarters
    ALT(288, 335, 0, 0x215E, 0), // vulgar fraction seven eighths
    LIST_END,
};

const AlternativesList altApostrophe = {
    HEADER(0, 192, 1, 0x22A0),
    ALT(0, 47, 0xDE, 0x0027, 0), // apostrophe, the key itself
    ALT(48, 95, 0, 0x0060, 0),   // grave accent
    ALT(96, 143, 0, 0x2018, 0),  // left single quotation mark
    ALT(144, 191, 0, 0x2019, 0), // right single quotation mark
    LIST_END,
};

const AlternativesList altQuotation = {
    HEADER(0, 288, 1, 0x22B0),
    ALT(0, 47, 0xDE, 0x0022, KEY_SHIFTED), // quotation mark, the key itself
    ALT(48, 95, 0, 0x00AB, 0),             // left-pointing double angle quotation mark
    ALT(96, 143, 0, 0x00BB, 0),            // right-pointing double angle quotation mark
    ALT(144, 191, 0, 0x201E, 0),           // double low-9 quotation mark
    ALT(192, 239, 0, 0x201C, 0),           // left double quotation mark
    ALT(240, 287, 0, 0x201D, 0),           // right double quotation mark
    LIST_END,
};

const AlternativesList altHyphen = {
    HEADER(0, 144, 1, 0x22C0),
    ALT(0, 47, 0xBD, 0x002D, 0), // hyphen-minus, the key itself
    ALT(48, 95, 0, 0x2014, 0),   // em dash
    ALT(96, 143, 0, 0x2013, 0),  // en dash
    LIST_END,
};

const RowBounds lowerPortraitRows = {0, 63, 126, 189, 252};
const RowBounds lowerLandscapeRows = {0, 54, 108, 162, 216};
const RowBounds upperPortraitRows = {0, 63, 126, 189, 252};
const RowBounds upperLandscapeRows = {0, 54, 108, 162, 216};
const RowBounds numericPortraitRows = {0, 63, 126, 189, 252};
const RowBounds numericLandscapeRows = {0, 54, 108, 162, 216};
const RowBounds symbolsPortraitRows = {0, 63, 126, 189, 252};
const RowBounds symbolsLandscapeRows = {0, 54, 108, 162, 216};

// Layouts: key x range (inclusive), virtual-key code, character, flags, alternatives.

KeyboardLayout lowerPortrait = {
    {
        KEY(0, 47, 0x51, 0x0071, 0, 0),            // q
        KEY(48, 95, 0x57, 0x0077, 0, 0),           // w
        KEY(96, 143, 0x45, 0x0065, 0, altLowerE),  // e
        KEY(144, 191, 0x52, 0x0072, 0, 0),         // r
        KEY(192, 239, 0x54, 0x0074, 0, 0),         // t
        KEY(240, 287, 0x5A, 0x007A, 0, altLowerZ), // z
        KEY(288, 335, 0x55, 0x0075, 0, altLowerU), // u
        KEY(336, 383, 0x49, 0x0069, 0, altLowerI), // i
        KEY(384, 431, 0x4F, 0x006F, 0, altLowerO), // o
        KEY(432, 479, 0x50, 0x0070, 0, 0),         // p
        END(480),
    },
    {
        KEY(0, 47, 0x09, 0, KEY_VIRTUAL, 0),       // tab
        KEY(48, 95, 0x41, 0x0061, 0, altLowerA),   // a
        KEY(96, 143, 0x53, 0x0073, 0, altLowerS),  // s
        KEY(144, 191, 0x44, 0x0064, 0, 0),         // d
        KEY(192, 239, 0x46, 0x0066, 0, 0),         // f
        KEY(240, 287, 0x47, 0x0067, 0, 0),         // g
        KEY(288, 335, 0x48, 0x0068, 0, 0),         // h
        KEY(336, 383, 0x4A, 0x006A, 0, 0),         // j
        KEY(384, 431, 0x4B, 0x006B, 0, 0),         // k
        KEY(432, 479, 0x4C, 0x006C, 0, altLowerL), // l
        END(480),
    },
    {
        KEY(0, 71, 0, 0, KEY_SHIFT, 0),             // shift
        KEY(72, 119, 0x59, 0x0079, 0, altLowerY),   // y
        KEY(120, 167, 0x58, 0x0078, 0, 0),          // x
        KEY(168, 215, 0x43, 0x0063, 0, altLowerC),  // c
        KEY(216, 263, 0x56, 0x0076, 0, 0),          // v
        KEY(264, 311, 0x42, 0x0062, 0, 0),          // b
        KEY(312, 359, 0x4E, 0x006E, 0, altLowerN),  // n
        KEY(360, 407, 0x4D, 0x006D, 0, 0),          // m
        KEY(408, 479, 0x08, 0x0008, KEY_REPEAT, 0), // backspace
        END(480),
    },
    {
        KEY(0, 71, 0, 0, KEY_TO_NUMERIC, 0),        // to numeric
        KEY(72, 143, 0, 0, KEY_TO_SYMBOLS, 0),      // to symbols
        KEY(144, 335, 0x20, 0x0020, KEY_REPEAT, 0), // space
        KEY(336, 383, 0xBE, 0x002E, 0, 0),          // .
        KEY(384, 479, 0x0D, 0x000D, 0, 0),          // return
        END(480),
    },
};

KeyboardLayout lowerLandscape = {
    {
        KEY(0, 63, 0x51, 0x0071, 0, 0),            // q
        KEY(64, 127, 0x57, 0x0077, 0, 0),          // w
        KEY(128, 191, 0x45, 0x0065, 0, altLowerE), // e
        KEY(192, 255, 0x52, 0x0072, 0, 0),         // r
        KEY(256, 319, 0x54, 0x0074, 0, 0),         // t
        KEY(320, 383, 0x5A, 0x007A, 0, altLowerZ), // z
        KEY(384, 447, 0x55, 0x0075, 0, altLowerU), // u
        KEY(448, 511, 0x49, 0x0069, 0, altLowerI), // i
        KEY(512, 575, 0x4F, 0x006F, 0, altLowerO), // o
        KEY(576, 639, 0x50, 0x0070, 0, 0),         // p
        END(640),
    },
    {
        KEY(0, 63, 0x09, 0, KEY_VIRTUAL, 0),       // tab
        KEY(64, 127, 0x41, 0x0061, 0, altLowerA),  // a
        KEY(128, 191, 0x53, 0x0073, 0, altLowerS), // s
        KEY(192, 255, 0x44, 0x0064, 0, 0),         // d
        KEY(256, 319, 0x46, 0x0066, 0, 0),         // f
        KEY(320, 383, 0x47, 0x0067, 0, 0),         // g
        KEY(384, 447, 0x48, 0x0068, 0, 0),         // h
        KEY(448, 511, 0x4A, 0x006A, 0, 0),         // j
        KEY(512, 575, 0x4B, 0x006B, 0, 0),         // k
        KEY(576, 639, 0x4C, 0x006C, 0, altLowerL), // l
        END(640),
    },
    {
        KEY(0, 95, 0, 0, KEY_SHIFT, 0),             // shift
        KEY(96, 159, 0x59, 0x0079, 0, altLowerY),   // y
        KEY(160, 223, 0x58, 0x0078, 0, 0),          // x
        KEY(224, 287, 0x43, 0x0063, 0, altLowerC),  // c
        KEY(288, 351, 0x56, 0x0076, 0, 0),          // v
        KEY(352, 415, 0x42, 0x0062, 0, 0),          // b
        KEY(416, 479, 0x4E, 0x006E, 0, altLowerN),  // n
        KEY(480, 543, 0x4D, 0x006D, 0, 0),          // m
        KEY(544, 639, 0x08, 0x0008, KEY_REPEAT, 0), // backspace
        END(640),
    },
    {
        KEY(0, 95, 0, 0, KEY_TO_NUMERIC, 0),        // to numeric
        KEY(96, 191, 0, 0, KEY_TO_SYMBOLS, 0),      // to symbols
        KEY(192, 447, 0x20, 0x0020, KEY_REPEAT, 0), // space
        KEY(448, 511, 0xBE, 0x002E, 0, 0),          // .
        KEY(512, 639, 0x0D, 0x000D, 0, 0),          // return
        END(640),
    },
};

KeyboardLayout upperPortrait = {
    {
        KEY(0, 47, 0x51, 0x0051, KEY_SHIFTED, 0),            // Q
        KEY(48, 95, 0x57, 0x0057, KEY_SHIFTED, 0),           // W
        KEY(96, 143, 0x45, 0x0045, KEY_SHIFTED, altUpperE),  // E
        KEY(144, 191, 0x52, 0x0052, KEY_SHIFTED, 0),         // R
        KEY(192, 239, 0x54, 0x0054, KEY_SHIFTED, 0),         // T
        KEY(240, 287, 0x5A, 0x005A, KEY_SHIFTED, altUpperZ), // Z
        KEY(288, 335, 0x55, 0x0055, KEY_SHIFTED, altUpperU), // U
        KEY(336, 383, 0x49, 0x0049, KEY_SHIFTED, altUpperI), // I
        KEY(384, 431, 0x4F, 0x004F, KEY_SHIFTED, altUpperO), // O
        KEY(432, 479, 0x50, 0x0050, KEY_SHIFTED, 0),         // P
        END(480),
    },
    {
        KEY(0, 47, 0x09, 0, KEY_VIRTUAL, 0),                 // tab
        KEY(48, 95, 0x41, 0x0041, KEY_SHIFTED, altUpperA),   // A
        KEY(96, 143, 0x53, 0x0053, KEY_SHIFTED, altUpperS),  // S
        KEY(144, 191, 0x44, 0x0044, KEY_SHIFTED, 0),         // D
        KEY(192, 239, 0x46, 0x0046, KEY_SHIFTED, 0),         // F
        KEY(240, 287, 0x47, 0x0047, KEY_SHIFTED, 0),         // G
        KEY(288, 335, 0x48, 0x0048, KEY_SHIFTED, 0),         // H
        KEY(336, 383, 0x4A, 0x004A, KEY_SHIFTED, 0),         // J
        KEY(384, 431, 0x4B, 0x004B, KEY_SHIFTED, 0),         // K
        KEY(432, 479, 0x4C, 0x004C, KEY_SHIFTED, altUpperL), // L
        END(480),
    },
    {
        KEY(0, 71, 0, 0, KEY_SHIFT, 0),                      // shift
        KEY(72, 119, 0x59, 0x0059, KEY_SHIFTED, altUpperY),  // Y
        KEY(120, 167, 0x58, 0x0058, KEY_SHIFTED, 0),         // X
        KEY(168, 215, 0x43, 0x0043, KEY_SHIFTED, altUpperC), // C
        KEY(216, 263, 0x56, 0x0056, KEY_SHIFTED, 0),         // V
        KEY(264, 311, 0x42, 0x0042, KEY_SHIFTED, 0),         // B
        KEY(312, 359, 0x4E, 0x004E, KEY_SHIFTED, altUpperN), // N
        KEY(360, 407, 0x4D, 0x004D, KEY_SHIFTED, 0),         // M
        KEY(408, 479, 0x08, 0x0008, KEY_REPEAT, 0),          // backspace
        END(480),
    },
    {
        KEY(0, 71, 0, 0, KEY_TO_NUMERIC, 0),        // to numeric
        KEY(72, 143, 0, 0, KEY_TO_SYMBOLS, 0),      // to symbols
        KEY(144, 335, 0x20, 0x0020, KEY_REPEAT, 0), // space
        KEY(336, 383, 0xBE, 0x002E, 0, 0),          // .
        KEY(384, 479, 0x0D, 0x000D, 0, 0),          // return
        END(480),
    },
};

KeyboardLayout upperLandscape = {
    {
        KEY(0, 63, 0x51, 0x0051, KEY_SHIFTED, 0),            // Q
        KEY(64, 127, 0x57, 0x0057, KEY_SHIFTED, 0),          // W
        KEY(128, 191, 0x45, 0x0045, KEY_SHIFTED, altUpperE), // E
        KEY(192, 255, 0x52, 0x0052, KEY_SHIFTED, 0),         // R
        KEY(256, 319, 0x54, 0x0054, KEY_SHIFTED, 0),         // T
        KEY(320, 383, 0x5A, 0x005A, KEY_SHIFTED, altUpperZ), // Z
        KEY(384, 447, 0x55, 0x0055, KEY_SHIFTED, altUpperU), // U
        KEY(448, 511, 0x49, 0x0049, KEY_SHIFTED, altUpperI), // I
        KEY(512, 575, 0x4F, 0x004F, KEY_SHIFTED, altUpperO), // O
        KEY(576, 639, 0x50, 0x0050, KEY_SHIFTED, 0),         // P
        END(640),
    },
    {
        KEY(0, 63, 0x09, 0, KEY_VIRTUAL, 0),                 // tab
        KEY(64, 127, 0x41, 0x0041, KEY_SHIFTED, altUpperA),  // A
        KEY(128, 191, 0x53, 0x0053, KEY_SHIFTED, altUpperS), // S
        KEY(192, 255, 0x44, 0x0044, KEY_SHIFTED, 0),         // D
        KEY(256, 319, 0x46, 0x0046, KEY_SHIFTED, 0),         // F
        KEY(320, 383, 0x47, 0x0047, KEY_SHIFTED, 0),         // G
        KEY(384, 447, 0x48, 0x0048, KEY_SHIFTED, 0),         // H
        KEY(448, 511, 0x4A, 0x004A, KEY_SHIFTED, 0),         // J
        KEY(512, 575, 0x4B, 0x004B, KEY_SHIFTED, 0),         // K
        KEY(576, 639, 0x4C, 0x004C, KEY_SHIFTED, altUpperL), // L
        END(640),
    },
    {
        KEY(0, 95, 0, 0, KEY_SHIFT, 0),                      // shift
        KEY(96, 159, 0x59, 0x0059, KEY_SHIFTED, altUpperY),  // Y
        KEY(160, 223, 0x58, 0x0058, KEY_SHIFTED, 0),         // X
        KEY(224, 287, 0x43, 0x0043, KEY_SHIFTED, altUpperC), // C
        KEY(288, 351, 0x56, 0x0056, KEY_SHIFTED, 0),         // V
        KEY(352, 415, 0x42, 0x0042, KEY_SHIFTED, 0),         // B
        KEY(416, 479, 0x4E, 0x004E, KEY_SHIFTED, altUpperN), // N
        KEY(480, 543, 0x4D, 0x004D, KEY_SHIFTED, 0),         // M
        KEY(544, 639, 0x08, 0x0008, KEY_REPEAT, 0),          // backspace
        END(640),
    },
    {
        KEY(0, 95, 0, 0, KEY_TO_NUMERIC, 0),        // to numeric
        KEY(96, 191, 0, 0, KEY_TO_SYMBOLS, 0),      // to symbols
        KEY(192, 447, 0x20, 0x0020, KEY_REPEAT, 0), // space
        KEY(448, 511, 0xBE, 0x002E, 0, 0),          // .
        KEY(512, 639, 0x0D, 0x000D, 0, 0),          // return
        END(640),
    },
};

KeyboardLayout numericPortrait = {
    {
        KEY(0, 95, 0, 0, KEY_CALCULATOR, 0),         // calculator
        KEY(96, 191, 0x37, 0x0037, 0, 0),            // 7
        KEY(192, 287, 0x38, 0x0038, 0, 0),           // 8
        KEY(288, 383, 0x39, 0x0039, 0, 0),           // 9
        KEY(384, 431, 0xBB, 0x002B, KEY_SHIFTED, 0), // +
        KEY(432, 479, 0xBD, 0x002D, 0, 0),           // -
        END(480),
    },
    {
        KEY(0, 95, 0x09, 0, KEY_VIRTUAL, 0), // tab
        KEY(96, 191, 0x34, 0x0034, 0, 0),    // 4
        KEY(192, 287, 0x35, 0x0035, 0, 0),   // 5
        KEY(288, 383, 0x36, 0x0036, 0, 0),   // 6
        KEY(384, 479, 0xBC, 0x002C, 0, 0),   // ,
        END(480),
    },
    {
        KEY(0, 95, 0x20, 0x0020, KEY_REPEAT, 0),    // space
        KEY(96, 191, 0x31, 0x0031, 0, 0),           // 1
        KEY(192, 287, 0x32, 0x0032, 0, 0),          // 2
        KEY(288, 383, 0x33, 0x0033, 0, 0),          // 3
        KEY(408, 479, 0x08, 0x0008, KEY_REPEAT, 0), // backspace
        END(480),
    },
    {
        KEY(0, 95, 0, 0, KEY_TO_LETTERS, 0),   // to letters
        KEY(96, 191, 0, 0, KEY_TO_SYMBOLS, 0), // to symbols
        KEY(192, 287, 0x30, 0x0030, 0, 0),     // 0
        KEY(288, 383, 0xBE, 0x002E, 0, 0),     // .
        KEY(384, 479, 0x0D, 0x000D, 0, 0),     // return
        END(480),
    },
};

KeyboardLayout numericLandscape = {
    {
        KEY(0, 127, 0, 0, KEY_CALCULATOR, 0),        // calculator
        KEY(128, 255, 0x37, 0x0037, 0, 0),           // 7
        KEY(256, 383, 0x38, 0x0038, 0, 0),           // 8
        KEY(384, 511, 0x39, 0x0039, 0, 0),           // 9
        KEY(512, 575, 0xBB, 0x002B, KEY_SHIFTED, 0), // +
        KEY(576, 639, 0xBD, 0x002D, 0, 0),           // -
        END(640),
    },
    {
        KEY(0, 127, 0x09, 0, KEY_VIRTUAL, 0), // tab
        KEY(128, 255, 0x34, 0x0034, 0, 0),    // 4
        KEY(256, 383, 0x35, 0x0035, 0, 0),    // 5
        KEY(384, 511, 0x36, 0x0036, 0, 0),    // 6
        KEY(512, 639, 0xBC, 0x002C, 0, 0),    // ,
        END(640),
    },
    {
        KEY(0, 127, 0x20, 0x0020, KEY_REPEAT, 0),   // space
        KEY(128, 255, 0x31, 0x0031, 0, 0),          // 1
        KEY(256, 383, 0x32, 0x0032, 0, 0),          // 2
        KEY(384, 511, 0x33, 0x0033, 0, 0),          // 3
        KEY(544, 639, 0x08, 0x0008, KEY_REPEAT, 0), // backspace
        END(640),
    },
    {
        KEY(0, 127, 0, 0, KEY_TO_LETTERS, 0),   // to letters
        KEY(128, 255, 0, 0, KEY_TO_SYMBOLS, 0), // to symbols
        KEY(256, 383, 0x30, 0x0030, 0, 0),      // 0
        KEY(384, 511, 0xBE, 0x002E, 0, 0),      // .
        KEY(512, 639, 0x0D, 0x000D, 0, 0),      // return
        END(640),
    },
};

KeyboardLayout symbolsPortrait = {
    {
        KEY(0, 47, 0x31, 0x0021, KEY_SHIFTED, altExclamation),  // !
        KEY(48, 95, 0x32, 0x0040, KEY_SHIFTED, 0),              // @
        KEY(96, 143, 0x33, 0x0023, KEY_SHIFTED, 0),             // #
        KEY(144, 191, 0x34, 0x0024, KEY_SHIFTED, altDollar),    // $
        KEY(192, 239, 0x35, 0x0025, KEY_SHIFTED, altPercent),   // %
        KEY(240, 287, 0x36, 0x005E, KEY_SHIFTED, 0),            // ^
        KEY(288, 335, 0x37, 0x0026, KEY_SHIFTED, altAmpersand), // &
        KEY(336, 383, 0x38, 0x002A, KEY_SHIFTED, 0),            // *
        KEY(384, 431, 0x39, 0x0028, KEY_SHIFTED, 0),            // (
        KEY(432, 479, 0x30, 0x0029, KEY_SHIFTED, 0),            // )
        END(480),
    },
    {
        KEY(0, 47, 0xC0, 0x007E, KEY_SHIFTED, 0),                  // ~
        KEY(48, 95, 0xDC, 0x007C, KEY_SHIFTED, 0),                 // |
        KEY(96, 143, 0xBD, 0x005F, KEY_SHIFTED, 0),                // _
        KEY(144, 191, 0xBD, 0x002D, 0, altHyphen),                 // -
        KEY(192, 239, 0xBB, 0x002B, KEY_SHIFTED, altPlus),         // +
        KEY(240, 287, 0xBB, 0x003D, 0, altEquals),                 // =
        KEY(288, 335, 0xBF, 0x002F, 0, 0),                         // /
        KEY(336, 383, 0xDC, 0x005C, 0, 0),                         // reverse solidus
        KEY(384, 431, 0xDB, 0x005B, KEY_SHIFTED, altLeftBracket),  // [
        KEY(432, 479, 0xDD, 0x005D, KEY_SHIFTED, altRightBracket), // ]
        END(480),
    },
    {
        KEY(0, 47, 0, 0x2022, 0, 0),                            // bullet
        KEY(48, 95, 0, 0x00B0, 0, 0),                           // degree
        KEY(96, 143, 0xDE, 0x0027, 0, altApostrophe),           // '
        KEY(144, 191, 0xDE, 0x0022, KEY_SHIFTED, altQuotation), // "
        KEY(192, 239, 0, 0x00BD, 0, altHalf),                   // one half
        KEY(240, 287, 0xBC, 0x002C, 0, 0),                      // ,
        KEY(288, 335, 0xBA, 0x003A, KEY_SHIFTED, 0),            // :
        KEY(336, 383, 0xBA, 0x003B, 0, 0),                      // ;
        KEY(408, 479, 0x08, 0x0008, KEY_REPEAT, 0),             // backspace
        END(480),
    },
    {
        KEY(0, 95, 0, 0, KEY_TO_LETTERS, 0),                   // to letters
        KEY(96, 191, 0, 0, KEY_TO_NUMERIC, 0),                 // to numeric
        KEY(192, 287, 0x20, 0x0020, KEY_REPEAT, 0),            // space
        KEY(288, 335, 0xBE, 0x002E, 0, 0),                     // .
        KEY(336, 383, 0xBF, 0x003F, KEY_SHIFTED, altQuestion), // ?
        KEY(384, 479, 0x0D, 0x000D, 0, 0),                     // return
        END(480),
    },
};

KeyboardLayout symbolsLandscape = {
    {
        KEY(0, 63, 0x31, 0x0021, KEY_SHIFTED, altExclamation),  // !
        KEY(64, 127, 0x32, 0x0040, KEY_SHIFTED, 0),             // @
        KEY(128, 191, 0x33, 0x0023, KEY_SHIFTED, 0),            // #
        KEY(192, 255, 0x34, 0x0024, KEY_SHIFTED, altDollar),    // $
        KEY(256, 319, 0x35, 0x0025, KEY_SHIFTED, altPercent),   // %
        KEY(320, 383, 0x36, 0x005E, KEY_SHIFTED, 0),            // ^
        KEY(384, 447, 0x37, 0x0026, KEY_SHIFTED, altAmpersand), // &
        KEY(448, 511, 0x38, 0x002A, KEY_SHIFTED, 0),            // *
        KEY(512, 575, 0x39, 0x0028, KEY_SHIFTED, 0),            // (
        KEY(576, 639, 0x30, 0x0029, KEY_SHIFTED, 0),            // )
        END(640),
    },
    {
        KEY(0, 63, 0xC0, 0x007E, KEY_SHIFTED, 0),                  // ~
        KEY(64, 127, 0xDC, 0x007C, KEY_SHIFTED, 0),                // |
        KEY(128, 191, 0xBD, 0x005F, KEY_SHIFTED, 0),               // _
        KEY(192, 255, 0xBD, 0x002D, 0, altHyphen),                 // -
        KEY(256, 319, 0xBB, 0x002B, KEY_SHIFTED, altPlus),         // +
        KEY(320, 383, 0xBB, 0x003D, 0, altEquals),                 // =
        KEY(384, 447, 0xBF, 0x002F, 0, 0),                         // /
        KEY(448, 511, 0xDC, 0x005C, 0, 0),                         // reverse solidus
        KEY(512, 575, 0xDB, 0x005B, KEY_SHIFTED, altLeftBracket),  // [
        KEY(576, 639, 0xDD, 0x005D, KEY_SHIFTED, altRightBracket), // ]
        END(640),
    },
    {
        KEY(0, 63, 0, 0x2022, 0, 0),                            // bullet
        KEY(64, 127, 0, 0x00B0, 0, 0),                          // degree
        KEY(128, 191, 0xDE, 0x0027, 0, altApostrophe),          // '
        KEY(192, 255, 0xDE, 0x0022, KEY_SHIFTED, altQuotation), // "
        KEY(256, 319, 0, 0x00BD, 0, altHalf),                   // one half
        KEY(320, 383, 0xBC, 0x002C, 0, 0),                      // ,
        KEY(384, 447, 0xBA, 0x003A, KEY_SHIFTED, 0),            // :
        KEY(448, 511, 0xBA, 0x003B, 0, 0),                      // ;
        KEY(544, 639, 0x08, 0x0008, KEY_REPEAT, 0),             // backspace
        END(640),
    },
    {
        KEY(0, 127, 0, 0, KEY_TO_LETTERS, 0),                  // to letters
        KEY(128, 255, 0, 0, KEY_TO_NUMERIC, 0),                // to numeric
        KEY(256, 383, 0x20, 0x0020, KEY_REPEAT, 0),            // space
        KEY(384, 447, 0xBE, 0x002E, 0, 0),                     // .
        KEY(448, 511, 0xBF, 0x003F, KEY_SHIFTED, altQuestion), // ?
        KEY(512, 639, 0x0D, 0x000D, 0, 0),                     // return
        END(640),
    },
};

const ModeLayouts modeLayouts[LAYOUT_MODES] = {
    {&lowerPortrait, &lowerPortraitRows, &lowerLandscape, &lowerLandscapeRows},         // lower case
    {&upperPortrait, &upperPortraitRows, &upperLandscape, &upperLandscapeRows},         // one-shot shift
    {&upperPortrait, &upperPortraitRows, &upperLandscape, &upperLandscapeRows},         // caps lock
    {&numericPortrait, &numericPortraitRows, &numericLandscape, &numericLandscapeRows}, // numeric pad
    {&symbolsPortrait, &symbolsPortraitRows, &symbolsLandscape, &symbolsLandscapeRows}, // symbols
};

} // namespace legacy

namespace {

struct NamedLayout {
    const char *name;
    const KeyboardLayout *now, *legacy;
    const RowBounds *nowRows, *legacyRows;
};
#define PAIR(name)                                                                                                     \
    {                                                                                                                  \
#name, &name, &legacy::name, &name##Rows, &legacy::name##Rows                                                  \
    }
const NamedLayout layouts[] = {PAIR(lowerPortrait),   PAIR(lowerLandscape),  PAIR(upperPortrait),
                               PAIR(upperLandscape),  PAIR(numericPortrait), PAIR(numericLandscape),
                               PAIR(symbolsPortrait), PAIR(symbolsLandscape)};
#undef PAIR

struct NamedList {
    const char *name;
    const KeyRecord *now, *legacy;
};
#define PAIR(name)                                                                                                     \
    {                                                                                                                  \
#name, name, legacy::name                                                                                      \
    }
const NamedList lists[] = {
    PAIR(altLowerA),       PAIR(altLowerC),    PAIR(altLowerE),     PAIR(altLowerI),      PAIR(altLowerL),
    PAIR(altLowerN),       PAIR(altLowerO),    PAIR(altLowerS),     PAIR(altLowerU),      PAIR(altLowerY),
    PAIR(altLowerZ),       PAIR(altUpperA),    PAIR(altUpperC),     PAIR(altUpperE),      PAIR(altUpperI),
    PAIR(altUpperL),       PAIR(altUpperN),    PAIR(altUpperO),     PAIR(altUpperS),      PAIR(altUpperU),
    PAIR(altUpperY),       PAIR(altUpperZ),    PAIR(altDollar),     PAIR(altExclamation), PAIR(altQuestion),
    PAIR(altPercent),      PAIR(altAmpersand), PAIR(altPlus),       PAIR(altEquals),      PAIR(altLeftBracket),
    PAIR(altRightBracket), PAIR(altHalf),      PAIR(altApostrophe), PAIR(altQuotation),   PAIR(altHyphen)};
#undef PAIR

// The name of the list a pointer names, in the new tables or in the legacy ones; "null" or "?".
std::string listName(const KeyRecord *list, bool legacyTables)
{
    if (!list)
        return "null";
    for (const NamedList &l : lists)
        if (list == (legacyTables ? l.legacy : l.now))
            return l.name;
    return "?";
}

// Every field of two records; alternatives compared by the list they name.
void expectSameRecord(const KeyRecord &now, const KeyRecord &old, const std::string &where)
{
    EXPECT_EQ(old.left, now.left) << where;
    EXPECT_EQ(old.right, now.right) << where;
    EXPECT_EQ(old.vk, now.vk) << where;
    EXPECT_EQ(old.character, now.character) << where;
    EXPECT_EQ(old.flags, now.flags) << where;
    EXPECT_EQ(listName(old.alternatives, true), listName(now.alternatives, false)) << where;
}

TEST(LayoutsFromTheDescription, EveryLayoutHoldsTodaysRecordsInEverySlot)
{
    for (const NamedLayout &l : layouts)
        for (int r = 0; r < ROW_COUNT; ++r)
            for (int s = 0; s < ROW_SLOTS; ++s)
                expectSameRecord((*l.now)[r][s], (*l.legacy)[r][s],
                                 std::string(l.name) + " row " + std::to_string(r) + " slot " + std::to_string(s));
}

TEST(LayoutsFromTheDescription, EveryRowBoundsTableHoldsTodaysValues)
{
    for (const NamedLayout &l : layouts)
        for (int i = 0; i <= ROW_COUNT; ++i)
            EXPECT_EQ((*l.legacyRows)[i], (*l.nowRows)[i]) << l.name << "Rows[" << i << "]";
}

TEST(LayoutsFromTheDescription, EveryListHoldsTodaysRecordsInEverySlot)
{
    for (const NamedList &l : lists)
        for (int s = 0; s < LIST_SLOTS; ++s)
            expectSameRecord(l.now[s], l.legacy[s], std::string(l.name) + " slot " + std::to_string(s));
}

// The layout a pointer names, by its name, in the new tables or in the legacy ones.
std::string layoutName(const void *p, bool legacyTables)
{
    for (const NamedLayout &l : layouts) {
        if (p == (legacyTables ? (const void *)l.legacy : (const void *)l.now))
            return l.name;
        if (p == (legacyTables ? (const void *)l.legacyRows : (const void *)l.nowRows))
            return std::string(l.name) + "Rows";
    }
    return "?";
}

TEST(LayoutsFromTheDescription, EachModeShowsTodaysLayoutsAndRowBounds)
{
    for (int m = 0; m < LAYOUT_MODES; ++m) {
        const ModeLayouts &now = modeLayouts[m], &old = legacy::modeLayouts[m];
        EXPECT_EQ(layoutName(old.portrait, true), layoutName(now.portrait, false)) << "mode " << m;
        EXPECT_EQ(layoutName(old.portraitRows, true), layoutName(now.portraitRows, false)) << "mode " << m;
        EXPECT_EQ(layoutName(old.landscape, true), layoutName(now.landscape, false)) << "mode " << m;
        EXPECT_EQ(layoutName(old.landscapeRows, true), layoutName(now.landscapeRows, false)) << "mode " << m;
    }
}

} // namespace
