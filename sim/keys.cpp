// Keys by their labels: labels from the layout tables, key rectangles, and the popup's place and cells.
#include "keys.h"

#include <cctype>

#include "textfield.h"

// The platform's virtual-key codes of the keys that are named rather than shown by character.
static const BYTE VK_BACK_CODE = 0x08;
static const BYTE VK_TAB_CODE = 0x09;
static const BYTE VK_RETURN_CODE = 0x0D;
static const BYTE VK_SPACE_CODE = 0x20;

// The popup's frame around its cells, and how far below the key's top its lower edge stays.
static const int popupBorder = 10;
static const int popupGap = 5;

static const char *const faceNames[FACE_COUNT] = {"lower", "shift", "caps", "numeric", "symbols"};

const char *faceName(Face face)
{
    return faceNames[static_cast<int>(face)];
}

bool faceFromName(const std::string &name, Face *face)
{
    for (int i = 0; i < FACE_COUNT; ++i) {
        if (name == faceNames[i]) {
            *face = static_cast<Face>(i);
            return true;
        }
    }
    return false;
}

std::string keyLabel(const KeyRecord &key)
{
    if (key.flags & KEY_SHIFT)
        return "shift";
    if (key.flags & KEY_TO_NUMERIC)
        return "123";
    if (key.flags & KEY_TO_SYMBOLS)
        return "symbols";
    if (key.flags & KEY_TO_LETTERS)
        return "abc";
    if (key.flags & KEY_CALCULATOR)
        return "calc";
    switch (key.vk) {
    case VK_BACK_CODE:
        return "backspace";
    case VK_TAB_CODE:
        return "tab";
    case VK_RETURN_CODE:
        return "return";
    case VK_SPACE_CODE:
        return "space";
    default:
        break;
    }
    return alternativeLabel(key);
}

std::string alternativeLabel(const KeyRecord &alternative)
{
    return utf8FromUtf16(std::u16string(1, static_cast<char16_t>(alternative.character)));
}

// Other words a person may write for the named keys.
static const struct {
    const char *alias;
    const char *name;
} labelAliases[] = {
    {"caps", "shift"},  {"enter", "return"}, {"bksp", "backspace"},  {"numeric", "123"},
    {"sym", "symbols"}, {"letters", "abc"},  {"calculator", "calc"},
};

static bool isSingleCodePoint(const std::string &text)
{
    return !text.empty() && utf16FromUtf8(text).size() == 1;
}

std::string canonicalLabel(const std::string &label)
{
    // A single character is a key's character and keeps its case; names are read in any case.
    if (isSingleCodePoint(label))
        return label;
    std::string lower;
    for (char c : label)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto &alias : labelAliases) {
        if (lower == alias.alias)
            return alias.name;
    }
    return lower;
}

// The layout family of a face, in both orientations, with its row bounds.
struct FaceTables {
    const KeyboardLayout *portrait;
    const KeyboardLayout *landscape;
    const RowBounds *portraitRows;
    const RowBounds *landscapeRows;
};

static const FaceTables &tablesFor(Face face)
{
    static const FaceTables lower = {&lowerPortrait, &lowerLandscape, &lowerPortraitRows, &lowerLandscapeRows};
    static const FaceTables upper = {&upperPortrait, &upperLandscape, &upperPortraitRows, &upperLandscapeRows};
    static const FaceTables numeric = {&numericPortrait, &numericLandscape, &numericPortraitRows,
                                       &numericLandscapeRows};
    static const FaceTables symbols = {&symbolsPortrait, &symbolsLandscape, &symbolsPortraitRows,
                                       &symbolsLandscapeRows};
    switch (face) {
    case Face::Lower:
        return lower;
    case Face::Shift:
    case Face::Caps:
        return upper;
    case Face::Numeric:
        return numeric;
    case Face::Symbols:
        break;
    }
    return symbols;
}

const KeyboardLayout &layoutFor(Face face, bool portrait)
{
    const FaceTables &t = tablesFor(face);
    return portrait ? *t.portrait : *t.landscape;
}

const RowBounds &rowBoundsFor(Face face, bool portrait)
{
    const FaceTables &t = tablesFor(face);
    return portrait ? *t.portraitRows : *t.landscapeRows;
}

bool findKey(Face face, bool portrait, const std::string &label, KeyRef *found)
{
    std::string wanted = canonicalLabel(label);
    const KeyboardLayout &layout = layoutFor(face, portrait);
    const RowBounds &bounds = rowBoundsFor(face, portrait);
    for (int row = 0; row < ROW_COUNT; ++row) {
        for (const KeyRecord *key = layout[row]; !isSentinel(*key); ++key) {
            if (keyLabel(*key) != wanted)
                continue;
            found->key = key;
            found->row = row;
            found->rect = RECT{key->left, bounds[row], key->right, bounds[row + 1] - 1};
            return true;
        }
    }
    return false;
}

bool keyAt(Face face, bool portrait, int x, int y, KeyRef *found)
{
    const KeyboardLayout &layout = layoutFor(face, portrait);
    const RowBounds &bounds = rowBoundsFor(face, portrait);
    if (y < bounds[0] || y >= bounds[ROW_COUNT])
        return false;
    int row = 0;
    while (y >= bounds[row + 1])
        ++row;
    for (const KeyRecord *key = layout[row]; !isSentinel(*key); ++key) {
        if (x < key->left || x > key->right)
            continue;
        found->key = key;
        found->row = row;
        found->rect = RECT{key->left, bounds[row], key->right, bounds[row + 1] - 1};
        return true;
    }
    return false;
}

static bool popupHolds(const KeyRecord *list, const std::string &label)
{
    for (const KeyRecord *alt = list + 1; !isSentinel(*alt); ++alt) {
        if (alternativeLabel(*alt) == label)
            return true;
    }
    return false;
}

bool labelExists(const std::string &label)
{
    static const Face families[] = {Face::Lower, Face::Shift, Face::Numeric, Face::Symbols};
    std::string wanted = canonicalLabel(label);
    for (Face face : families) {
        KeyRef ref;
        if (findKey(face, true, wanted, &ref))
            return true;
        const KeyboardLayout &layout = layoutFor(face, true);
        for (int row = 0; row < ROW_COUNT; ++row) {
            for (const KeyRecord *key = layout[row]; !isSentinel(*key); ++key) {
                if (key->alternatives && popupHolds(key->alternatives, wanted))
                    return true;
            }
        }
    }
    return false;
}

std::vector<std::string> labelsOf(Face face)
{
    std::vector<std::string> labels;
    const KeyboardLayout &layout = layoutFor(face, true);
    for (int row = 0; row < ROW_COUNT; ++row) {
        for (const KeyRecord *key = layout[row]; !isSentinel(*key); ++key)
            labels.push_back(keyLabel(*key));
    }
    return labels;
}

static int countCells(const KeyRecord *list)
{
    int n = 0;
    for (const KeyRecord *alt = list + 1; !isSentinel(*alt); ++alt)
        ++n;
    return n;
}

PopupPlace placePopup(const KeyRef &key, int panelTop, int panelRight)
{
    PopupPlace place;
    const KeyRecord *list = key.key ? key.key->alternatives : nullptr;
    if (!list)
        return place;
    const KeyRecord &header = list[0];
    const KeyRecord &def = list[header.character];
    int width = (header.right - header.left) + 2 * popupBorder;
    int height = cellHeight + 2 * popupBorder;
    // The default cell is centred over the key; the popup then keeps 5 pixels off either side of
    // the panel, the right side winning when a popup is too wide for both.
    int left =
        key.key->left + ((key.key->right - key.key->left) - (def.right - def.left)) / 2 + header.left - popupBorder;
    int top = panelTop + key.rect.top - height - popupGap;
    if (left < popupGap)
        left = popupGap;
    if (left + width > panelRight - popupGap)
        left = panelRight - popupGap - width;
    place.rect = RECT{left, top, left + width, top + height};
    place.cells = countCells(list);
    place.defaultCell = static_cast<int>(header.character);
    return place;
}

POINT popupCellCentre(const KeyRef &key, const PopupPlace &place, int cell)
{
    const KeyRecord &alt = key.key->alternatives[cell];
    return POINT{place.rect.left + popupBorder + (alt.left + alt.right) / 2,
                 place.rect.top + popupBorder + cellHeight / 2};
}

int popupCellAt(const KeyRef &key, const PopupPlace &place, int x, int y)
{
    // The pen is followed in a tall band: from a little above the popup down over the key's row
    // and the row beneath it, and only at least a border's width inside the popup's sides.
    if (y < place.rect.top - cellHeight + popupBorder || y > place.rect.bottom + 2 * cellHeight + popupGap)
        return 0;
    if (x < place.rect.left + popupBorder || x > place.rect.right - popupBorder)
        return 0;
    int rx = x - place.rect.left - popupBorder;
    const KeyRecord *list = key.key->alternatives;
    for (int i = 1; i <= 10 && !isSentinel(list[i]); ++i) {
        if (list[i].left <= rx && rx <= list[i].right)
            return i;
    }
    return 0;
}

int popupCellOf(const KeyRef &key, const std::string &label)
{
    if (!key.key || !key.key->alternatives)
        return 0;
    std::string wanted = canonicalLabel(label);
    const KeyRecord *list = key.key->alternatives;
    for (int i = 1; !isSentinel(list[i]); ++i) {
        if (alternativeLabel(list[i]) == wanted)
            return i;
    }
    return 0;
}
