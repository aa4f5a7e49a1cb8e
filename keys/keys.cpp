// Keys by their labels: names and caps from the layout tables, rectangles from the panel's hit
// test, and the popup's cells from the panel's popup rules.
#include "keys.h"

#include <cctype>

#include "surface/hittest.h"
#include "surface/imageids.h"
#include "text.h"

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

// A face is a mode of the panel: the faces are numbered as the modes are.
static KeyboardLayout &layoutOf(Face face, bool portrait)
{
    const ModeLayouts &m = modeLayouts[static_cast<int>(face)];
    return portrait ? *m.portrait : *m.landscape;
}

const KeyboardLayout &layoutFor(Face face, bool portrait)
{
    return layoutOf(face, portrait);
}

const RowBounds &rowBoundsFor(Face face, bool portrait)
{
    const ModeLayouts &m = modeLayouts[static_cast<int>(face)];
    return portrait ? *m.portraitRows : *m.landscapeRows;
}

// The keys known by what they do rather than by a character they show, in the order a key is
// recognised: by its flags first, then by the code it sends.
static const struct {
    UINT flag; // the key carries this flag, or (0) it
    BYTE vk;   // sends this code
    KeyKind kind;
    const char *label;    // in scripts
    const char32_t *text; // on its cap, where it shows a word and no symbol
} namedKeys[] = {
    {KEY_SHIFT, 0, KeyKind::Shift, "shift", U""},
    {KEY_TO_NUMERIC, 0, KeyKind::Numeric, "123", U"123"},
    {KEY_TO_SYMBOLS, 0, KeyKind::Symbols, "symbols", U"#+="},
    {KEY_TO_LETTERS, 0, KeyKind::Letters, "abc", U"abc"},
    {KEY_CALCULATOR, 0, KeyKind::Calculator, "calc", U""},
    {0, VK_TAB, KeyKind::Tab, "tab", U""},
    {0, VK_BACK, KeyKind::Backspace, "backspace", U""},
    {0, VK_RETURN, KeyKind::Return, "return", U""},
    {0, VK_SPACE, KeyKind::Space, "space", U""},
};

KeyKind keyKind(const KeyRecord &key)
{
    for (const auto &named : namedKeys) {
        if (named.flag ? (key.flags & named.flag) != 0 : key.vk == named.vk)
            return named.kind;
    }
    if (key.character == 0x20)
        return KeyKind::Space;
    return key.character > 0x20 ? KeyKind::Character : KeyKind::None;
}

std::string keyLabel(const KeyRecord &key)
{
    KeyKind kind = keyKind(key);
    for (const auto &named : namedKeys) {
        if (named.kind == kind)
            return named.label;
    }
    return alternativeLabel(key);
}

std::u32string keyCapText(const KeyRecord &key)
{
    KeyKind kind = keyKind(key);
    if (kind == KeyKind::Character)
        return std::u32string(1, static_cast<char32_t>(key.character));
    for (const auto &named : namedKeys) {
        if (named.kind == kind)
            return named.text;
    }
    return U"";
}

std::string alternativeLabel(const KeyRecord &alternative)
{
    return utf8Of(static_cast<char32_t>(alternative.character));
}

// Other words a person may write for the named keys.
static const struct {
    const char *alias;
    const char *name;
} labelAliases[] = {
    {"caps", "shift"},  {"enter", "return"}, {"bksp", "backspace"},  {"numeric", "123"},
    {"sym", "symbols"}, {"letters", "abc"},  {"calculator", "calc"},
};

std::string canonicalLabel(const std::string &label)
{
    // A single character is a key's character and keeps its case; names are read in any case.
    if (codePoints(label).size() == 1)
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

std::vector<KeyRef> keysOf(Face face, bool portrait)
{
    std::vector<KeyRef> keys;
    KeyboardLayout &layout = layoutOf(face, portrait);
    const RowBounds &bounds = rowBoundsFor(face, portrait);
    for (int row = 0; row < ROW_COUNT; ++row) {
        for (const KeyRecord *key = layout[row]; !isSentinel(*key); ++key) {
            // The key's rectangle is where the hit test finds it, from its top left pixel.
            KeyRef ref;
            ref.rect = RECT{key->left, bounds[row], key->left, bounds[row]};
            ref.key = hitTestLayout(layout, bounds, &ref.rect);
            keys.push_back(ref);
        }
    }
    return keys;
}

bool findKey(Face face, bool portrait, const std::string &label, KeyRef *found)
{
    std::string wanted = canonicalLabel(label);
    for (const KeyRef &ref : keysOf(face, portrait)) {
        if (keyLabel(*ref.key) == wanted) {
            *found = ref;
            return true;
        }
    }
    return false;
}

bool labelExists(const std::string &label)
{
    static const Face families[] = {Face::Lower, Face::Shift, Face::Numeric, Face::Symbols};
    for (Face face : families) {
        for (const KeyRef &ref : keysOf(face, true)) {
            if (keyLabel(*ref.key) == canonicalLabel(label) || popupCellOf(ref, label))
                return true;
        }
    }
    return false;
}

bool isPopupWindow(const RECT &screenRect)
{
    return screenRect.bottom - screenRect.top == POPUP_HEIGHT;
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
    RECT r = popupCellRect(key.key->alternatives[cell]);
    return POINT{popup.left + (r.left + r.right) / 2, popup.top + (r.top + r.bottom) / 2};
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
