// Keys by their labels: labels from the layout tables, key rectangles, and the popup's cells.
#include "keys.h"

#include <cctype>

#include "surface/imageids.h"
#include "textfield.h"

// The platform's virtual-key codes of the keys that are named rather than shown by character.
static const BYTE VK_BACK_CODE = 0x08;
static const BYTE VK_TAB_CODE = 0x09;
static const BYTE VK_RETURN_CODE = 0x0D;
static const BYTE VK_SPACE_CODE = 0x20;

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

// A face is a mode of the panel: the faces are numbered as the modes are.
const KeyboardLayout &layoutFor(Face face, bool portrait)
{
    const ModeLayouts &m = modeLayouts[static_cast<int>(face)];
    return portrait ? *m.portrait : *m.landscape;
}

const RowBounds &rowBoundsFor(Face face, bool portrait)
{
    const ModeLayouts &m = modeLayouts[static_cast<int>(face)];
    return portrait ? *m.portraitRows : *m.landscapeRows;
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

bool isPopupWindow(const RECT &screenRect)
{
    return screenRect.bottom - screenRect.top == cellHeight + 2 * POPUP_MARGIN;
}

int popupCellCount(const KeyRef &key)
{
    int n = 0;
    if (key.key && key.key->alternatives)
        for (const KeyRecord *alt = key.key->alternatives + 1; !isSentinel(*alt); ++alt)
            ++n;
    return n;
}

POINT popupCellCentre(const KeyRef &key, const RECT &popup, int cell)
{
    const KeyRecord &alt = key.key->alternatives[cell];
    return POINT{popup.left + POPUP_MARGIN + (alt.left + alt.right) / 2, popup.top + POPUP_MARGIN + cellHeight / 2};
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
