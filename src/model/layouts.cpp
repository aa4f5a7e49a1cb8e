// The eight built-in layouts and their 35 alternatives lists, as initialised data: each family of
// keys is described once (letters.inc, numeric.inc, symbols.inc) and expanded here once per
// orientation, the letters once per case as well.
#include "keyboard.h"

// What a key or an alternative sends, as one macro argument: (vk, character, flags).
#define SENDS(vk, character, flags) vk, character, flags

// A letter key sends the code of its capital; the case is what differs: the letter it types, the
// shift state and its own alternatives lists (altLowerE, altUpperE).
#define LOWER_CASE(vk) (vk, (vk) + 0x20, 0)
#define UPPER_CASE(vk) (vk, vk, KEY_SHIFTED)

// What each symbol key that owns a list sends (DollarVk, DollarCharacter, DollarFlags), taken from
// symbols.inc, so that the list's default cell repeats its key.
#define ROW
#define END_ROW
#define KEY(from, to, vk, character, flags)
#define KEY_WITH(from, to, vk, character, flags, name) name##Vk = vk, name##Character = character, name##Flags = flags,
enum SymbolKeysWithLists {
#include "symbols.inc"
    SYMBOL_KEYS_WITH_LISTS_END
};
#undef ROW
#undef END_ROW
#undef KEY
#undef KEY_WITH
#define SYMBOL_KEY(name) (name##Vk, name##Character, name##Flags)

// Alternatives lists, by their characters, the key itself among them. ALTSn(image, d, ...) holds n
// cells, cell k spanning 48 * (k - 1) to 48 * k - 1; cell d is the default, which the header puts
// over the key; the sentinel's x is never read.
enum { CELL_WIDTH = 48 };
#define ALT(character) (0, character, 0)
// clang-format off
#define CELL(k, sends) {CELL_WIDTH * ((k) - 1), CELL_WIDTH * (k) - 1, SENDS sends, 0}
#define HEADER(image, d, n) {-CELL_WIDTH * ((d) - 1), CELL_WIDTH * ((n) - (d) + 1), 0, d, image, 0}
#define LIST_END {640, 640, SENTINEL_VK, 0, 0, 0}
#define ALTS2(image, d, c1, c2) {HEADER(image, d, 2), CELL(1, c1), CELL(2, c2), LIST_END}
#define ALTS3(image, d, c1, c2, c3) {HEADER(image, d, 3), CELL(1, c1), CELL(2, c2), CELL(3, c3), LIST_END}
#define ALTS4(image, d, c1, c2, c3, c4) \
    {HEADER(image, d, 4), CELL(1, c1), CELL(2, c2), CELL(3, c3), CELL(4, c4), LIST_END}
#define ALTS5(image, d, c1, c2, c3, c4, c5) \
    {HEADER(image, d, 5), CELL(1, c1), CELL(2, c2), CELL(3, c3), CELL(4, c4), CELL(5, c5), LIST_END}
#define ALTS6(image, d, c1, c2, c3, c4, c5, c6) \
    {HEADER(image, d, 6), CELL(1, c1), CELL(2, c2), CELL(3, c3), CELL(4, c4), CELL(5, c5), CELL(6, c6), LIST_END}
#define ALTS7(image, d, c1, c2, c3, c4, c5, c6, c7) \
    {HEADER(image, d, 7), CELL(1, c1), CELL(2, c2), CELL(3, c3), CELL(4, c4), CELL(5, c5), CELL(6, c6), CELL(7, c7), \
     LIST_END}
#define ALTS8(image, d, c1, c2, c3, c4, c5, c6, c7, c8) \
    {HEADER(image, d, 8), CELL(1, c1), CELL(2, c2), CELL(3, c3), CELL(4, c4), CELL(5, c5), CELL(6, c6), CELL(7, c7), \
     CELL(8, c8), LIST_END}
#define ALTS9(image, d, c1, c2, c3, c4, c5, c6, c7, c8, c9) \
    {HEADER(image, d, 9), CELL(1, c1), CELL(2, c2), CELL(3, c3), CELL(4, c4), CELL(5, c5), CELL(6, c6), CELL(7, c7), \
     CELL(8, c8), CELL(9, c9), LIST_END}
// clang-format on

// Lower-case letters. a: with grave, acute, circumflex, diaeresis; ae; with tilde, ring above, macron.
const AlternativesList altLowerA = ALTS9(0x2000, 1, LOWER_CASE('A'), ALT(0x00E0), ALT(0x00E1), ALT(0x00E2), ALT(0x00E4),
                                         ALT(0x00E6), ALT(0x00E3), ALT(0x00E5), ALT(0x0101));
// c: with cedilla, acute, caron.
const AlternativesList altLowerC = ALTS4(0x2010, 1, LOWER_CASE('C'), ALT(0x00E7), ALT(0x0107), ALT(0x010D));
// e: with grave, acute, circumflex, diaeresis, macron, dot above, ogonek.
const AlternativesList altLowerE = ALTS8(0x2020, 1, LOWER_CASE('E'), ALT(0x00E8), ALT(0x00E9), ALT(0x00EA), ALT(0x00EB),
                                         ALT(0x0113), ALT(0x0117), ALT(0x0119));
// i with grave, ogonek, macron, acute, diaeresis, circumflex; i.
const AlternativesList altLowerI =
    ALTS7(0x2030, 7, ALT(0x00EC), ALT(0x012F), ALT(0x012B), ALT(0x00ED), ALT(0x00EF), ALT(0x00EE), LOWER_CASE('I'));
// l with stroke; l.
const AlternativesList altLowerL = ALTS2(0x2040, 2, ALT(0x0142), LOWER_CASE('L'));
// n with acute, tilde; n.
const AlternativesList altLowerN = ALTS3(0x2050, 3, ALT(0x0144), ALT(0x00F1), LOWER_CASE('N'));
// o with tilde, macron, stroke; oe; o with acute, grave, diaeresis, circumflex; o.
const AlternativesList altLowerO = ALTS9(0x2060, 9, ALT(0x00F5), ALT(0x014D), ALT(0x00F8), ALT(0x0153), ALT(0x00F3),
                                         ALT(0x00F2), ALT(0x00F6), ALT(0x00F4), LOWER_CASE('O'));
// s: with caron, acute; sharp s.
const AlternativesList altLowerS = ALTS4(0x2070, 1, LOWER_CASE('S'), ALT(0x0161), ALT(0x015B), ALT(0x00DF));
// u with macron, acute, grave, diaeresis, circumflex; u.
const AlternativesList altLowerU =
    ALTS6(0x2080, 6, ALT(0x016B), ALT(0x00FA), ALT(0x00F9), ALT(0x00FC), ALT(0x00FB), LOWER_CASE('U'));
// y with diaeresis; y.
const AlternativesList altLowerY = ALTS2(0x2090, 2, ALT(0x00FF), LOWER_CASE('Y'));
// z: with caron, acute, dot above.
const AlternativesList altLowerZ = ALTS4(0x20A0, 1, LOWER_CASE('Z'), ALT(0x017E), ALT(0x017A), ALT(0x017C));

// Upper-case letters: the capitals of the lower-case lists, in their order; there is no capital sharp s.
const AlternativesList altUpperA = ALTS9(0x2100, 1, UPPER_CASE('A'), ALT(0x00C0), ALT(0x00C1), ALT(0x00C2), ALT(0x00C4),
                                         ALT(0x00C6), ALT(0x00C3), ALT(0x00C5), ALT(0x0100));
const AlternativesList altUpperC = ALTS4(0x2110, 1, UPPER_CASE('C'), ALT(0x00C7), ALT(0x0106), ALT(0x010C));
const AlternativesList altUpperE = ALTS8(0x2120, 1, UPPER_CASE('E'), ALT(0x00C8), ALT(0x00C9), ALT(0x00CA), ALT(0x00CB),
                                         ALT(0x0112), ALT(0x0116), ALT(0x0118));
const AlternativesList altUpperI =
    ALTS7(0x2130, 7, ALT(0x00CC), ALT(0x012E), ALT(0x012A), ALT(0x00CD), ALT(0x00CF), ALT(0x00CE), UPPER_CASE('I'));
const AlternativesList altUpperL = ALTS2(0x2140, 2, ALT(0x0141), UPPER_CASE('L'));
const AlternativesList altUpperN = ALTS3(0x2150, 3, ALT(0x0143), ALT(0x00D1), UPPER_CASE('N'));
const AlternativesList altUpperO = ALTS9(0x2160, 9, ALT(0x00D5), ALT(0x014C), ALT(0x00D8), ALT(0x0152), ALT(0x00D3),
                                         ALT(0x00D2), ALT(0x00D6), ALT(0x00D4), UPPER_CASE('O'));
const AlternativesList altUpperS = ALTS3(0x2170, 1, UPPER_CASE('S'), ALT(0x0160), ALT(0x015A));
const AlternativesList altUpperU =
    ALTS6(0x2180, 6, ALT(0x016A), ALT(0x00DA), ALT(0x00D9), ALT(0x00DC), ALT(0x00DB), UPPER_CASE('U'));
const AlternativesList altUpperY = ALTS2(0x2190, 2, ALT(0x0178), UPPER_CASE('Y'));
const AlternativesList altUpperZ = ALTS4(0x21A0, 1, UPPER_CASE('Z'), ALT(0x017D), ALT(0x0179), ALT(0x017B));

// Symbols. $: cent, pound, yen, euro.
const AlternativesList altDollar =
    ALTS5(0x2200, 1, SYMBOL_KEY(Dollar), ALT(0x00A2), ALT(0x00A3), ALT(0x00A5), ALT(0x20AC));
// !: inverted exclamation mark.
const AlternativesList altExclamation = ALTS2(0x2210, 1, SYMBOL_KEY(Exclamation), ALT(0x00A1));
// Inverted question mark; ?.
const AlternativesList altQuestion = ALTS2(0x2220, 2, ALT(0x00BF), SYMBOL_KEY(Question));
// %: per mille sign.
const AlternativesList altPercent = ALTS2(0x2230, 1, SYMBOL_KEY(Percent), ALT(0x2030));
// Section sign; &.
const AlternativesList altAmpersand = ALTS2(0x2240, 2, ALT(0x00A7), SYMBOL_KEY(Ampersand));
// Division, multiplication, square root; +; plus-minus, pi, infinity.
const AlternativesList altPlus =
    ALTS7(0x2250, 4, ALT(0x00F7), ALT(0x00D7), ALT(0x221A), SYMBOL_KEY(Plus), ALT(0x00B1), ALT(0x03C0), ALT(0x221E));
// Not equal to, almost equal to; =.
const AlternativesList altEquals = ALTS3(0x2260, 3, ALT(0x2260), ALT(0x2248), SYMBOL_KEY(Equals));
// Less-than or equal to, <, {; [. The same with the right-hand brackets.
const AlternativesList altLeftBracket = ALTS4(0x2270, 4, ALT(0x2264), ALT('<'), ALT('{'), SYMBOL_KEY(LeftBracket));
const AlternativesList altRightBracket = ALTS4(0x2280, 4, ALT(0x2265), ALT('>'), ALT('}'), SYMBOL_KEY(RightBracket));
// The eighths and quarters in order, one half among them.
const AlternativesList altHalf =
    ALTS7(0x2290, 4, ALT(0x215B), ALT(0x00BC), ALT(0x215C), SYMBOL_KEY(Half), ALT(0x215D), ALT(0x00BE), ALT(0x215E));
// ': grave accent, left and right single quotation marks.
const AlternativesList altApostrophe = ALTS4(0x22A0, 1, SYMBOL_KEY(Apostrophe), ALT('`'), ALT(0x2018), ALT(0x2019));
// ": left and right guillemets, double low-9, left and right double quotation marks.
const AlternativesList altQuotation =
    ALTS6(0x22B0, 1, SYMBOL_KEY(Quotation), ALT(0x00AB), ALT(0x00BB), ALT(0x201E), ALT(0x201C), ALT(0x201D));
// -: em dash, en dash.
const AlternativesList altHyphen = ALTS3(0x22C0, 1, SYMBOL_KEY(Hyphen), ALT(0x2014), ALT(0x2013));

// Four equal rows down the keyboard's height, written once per orientation; each layout has its
// own table.
// clang-format off
#define ROW_BOUNDS(height) {0, (height) / ROW_COUNT, 2 * (height) / ROW_COUNT, 3 * (height) / ROW_COUNT, height}
// clang-format on
#define PORTRAIT_ROWS ROW_BOUNDS(PORTRAIT_HEIGHT)
#define LANDSCAPE_ROWS ROW_BOUNDS(LANDSCAPE_HEIGHT)
const RowBounds lowerPortraitRows = PORTRAIT_ROWS, lowerLandscapeRows = LANDSCAPE_ROWS;
const RowBounds upperPortraitRows = PORTRAIT_ROWS, upperLandscapeRows = LANDSCAPE_ROWS;
const RowBounds numericPortraitRows = PORTRAIT_ROWS, numericLandscapeRows = LANDSCAPE_ROWS;
const RowBounds symbolsPortraitRows = PORTRAIT_ROWS, symbolsLandscapeRows = LANDSCAPE_ROWS;

// Keys stand on a grid of 20 columns; an orientation is the width of a column (COLUMN while a
// family is expanded), landscape's being portrait's scaled by 4/3. The family files say:
//   ROW ... END_ROW                        a row's keys from left to right; END_ROW adds the sentinel,
//                                          at the width
//   KEY(from, to, vk, character, flags)    a key from column `from` to column `to` (exclusive), that
//                                          is from * COLUMN to to * COLUMN - 1
//   KEY_WITH(..., flags, name)             the same with the list altName
//   DIGIT(from, to, digit)                 a digit, which sends its own code
//   LETTER(from, to, vk), LETTER_WITH(from, to, vk, name)
//                                          a letter in the case expanded (CASE, CASE_LIST)
enum {
    GRID_COLUMNS = 20,
    PORTRAIT_COLUMN = PORTRAIT_WIDTH / GRID_COLUMNS,  // 24 pixels
    LANDSCAPE_COLUMN = LANDSCAPE_WIDTH / GRID_COLUMNS // 32 pixels
};
// clang-format off
#define KEY_RECORD(from, to, sends, alternatives) {(from) * COLUMN, (to) * COLUMN - 1, SENDS sends, alternatives},
#define KEY(from, to, vk, character, flags) KEY_RECORD(from, to, (vk, character, flags), 0)
#define KEY_WITH(from, to, vk, character, flags, name) KEY_RECORD(from, to, (vk, character, flags), alt##name)
#define DIGIT(from, to, digit) KEY_RECORD(from, to, (digit, digit, 0), 0)
#define LETTER(from, to, vk) KEY_RECORD(from, to, CASE(vk), 0)
#define LETTER_WITH(from, to, vk, name) KEY_RECORD(from, to, CASE(vk), CASE_LIST(name))
#define ROW {
#define END_ROW {GRID_COLUMNS * COLUMN, GRID_COLUMNS * COLUMN, SENTINEL_VK, 0, 0, 0}},
// clang-format on

// The lower case, then the upper case: the same letters with what differs.
#define CASE LOWER_CASE
#define CASE_LIST(name) altLower##name
#define COLUMN PORTRAIT_COLUMN
KeyboardLayout lowerPortrait = {
#include "letters.inc"
};
#undef COLUMN
#define COLUMN LANDSCAPE_COLUMN
KeyboardLayout lowerLandscape = {
#include "letters.inc"
};
#undef COLUMN
#undef CASE
#undef CASE_LIST

#define CASE UPPER_CASE
#define CASE_LIST(name) altUpper##name
#define COLUMN PORTRAIT_COLUMN
KeyboardLayout upperPortrait = {
#include "letters.inc"
};
#undef COLUMN
#define COLUMN LANDSCAPE_COLUMN
KeyboardLayout upperLandscape = {
#include "letters.inc"
};
#undef COLUMN

#define COLUMN PORTRAIT_COLUMN
KeyboardLayout numericPortrait = {
#include "numeric.inc"
};
#undef COLUMN
#define COLUMN LANDSCAPE_COLUMN
KeyboardLayout numericLandscape = {
#include "numeric.inc"
};
#undef COLUMN

#define COLUMN PORTRAIT_COLUMN
KeyboardLayout symbolsPortrait = {
#include "symbols.inc"
};
#undef COLUMN
#define COLUMN LANDSCAPE_COLUMN
KeyboardLayout symbolsLandscape = {
#include "symbols.inc"
};
#undef COLUMN

const ModeLayouts modeLayouts[LAYOUT_MODES] = {
    {&lowerPortrait, &lowerPortraitRows, &lowerLandscape, &lowerLandscapeRows},         // lower case
    {&upperPortrait, &upperPortraitRows, &upperLandscape, &upperLandscapeRows},         // one-shot shift
    {&upperPortrait, &upperPortraitRows, &upperLandscape, &upperLandscapeRows},         // caps lock
    {&numericPortrait, &numericPortraitRows, &numericLandscape, &numericLandscapeRows}, // numeric pad
    {&symbolsPortrait, &symbolsPortraitRows, &symbolsLandscape, &symbolsLandscapeRows}, // symbols
};
