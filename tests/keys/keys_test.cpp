// Keys by label: every key is found where the hit test finds it, names, aliases and caps, labels a
// mode lacks, and the popup's place and cells on the screen.
#include <gtest/gtest.h>

#include "keys.h"
#include "surface/hittest.h"

static const Face allFaces[] = {Face::Lower, Face::Shift, Face::Caps, Face::Numeric, Face::Symbols};

// Whatever label a key has, looking it up gives that very key, at the rectangle where the panel's
// hit test finds it from every corner and the centre.
TEST(Keys, EveryKeyIsFoundByItsLabelWhereTheHitTestFindsIt)
{
    for (Face face : allFaces) {
        for (bool portrait : {true, false}) {
            std::vector<KeyRef> keys = keysOf(face, portrait);
            EXPECT_GE(keys.size(), 21u) << faceName(face);
            for (const KeyRef &key : keys) {
                std::string label = keyLabel(*key.key);
                KeyRef found;
                ASSERT_TRUE(findKey(face, portrait, label, &found)) << faceName(face) << " " << label;
                EXPECT_EQ(key.key, found.key) << faceName(face) << " " << label << " found twice";
                const RECT &r = found.rect;
                EXPECT_EQ(r.right - r.left, key.key->right - key.key->left) << label;
                POINT points[] = {{r.left, r.top},
                                  {r.right, r.top},
                                  {r.left, r.bottom},
                                  {r.right, r.bottom},
                                  {(r.left + r.right) / 2, (r.top + r.bottom) / 2}};
                for (POINT p : points) {
                    RECT hit = {p.x, p.y, 0, 0};
                    KeyboardLayout &layout = const_cast<KeyboardLayout &>(layoutFor(face, portrait));
                    EXPECT_EQ(key.key, hitTestLayout(layout, rowBoundsFor(face, portrait), &hit))
                        << label << " at " << p.x << "," << p.y;
                }
            }
        }
    }
}

// What the skin draws on a key's cap: a word for the mode keys, the character for the keys that
// type one, a symbol for the others.
TEST(Keys, KindsAndCapTexts)
{
    struct Case {
        Face face;
        const char *label;
        KeyKind kind;
        const char32_t *text;
    } cases[] = {
        {Face::Lower, "shift", KeyKind::Shift, U""},
        {Face::Lower, "123", KeyKind::Numeric, U"123"},
        {Face::Lower, "symbols", KeyKind::Symbols, U"#+="},
        {Face::Numeric, "abc", KeyKind::Letters, U"abc"},
        {Face::Numeric, "calc", KeyKind::Calculator, U""},
        {Face::Lower, "tab", KeyKind::Tab, U""},
        {Face::Lower, "backspace", KeyKind::Backspace, U""},
        {Face::Lower, "return", KeyKind::Return, U""},
        {Face::Lower, "space", KeyKind::Space, U""},
        {Face::Shift, "Q", KeyKind::Character, U"Q"},
        {Face::Symbols, "\u00BD", KeyKind::Character, U"\u00BD"},
    };
    for (const Case &c : cases) {
        KeyRef found;
        ASSERT_TRUE(findKey(c.face, true, c.label, &found)) << c.label;
        EXPECT_EQ(c.kind, keyKind(*found.key)) << c.label;
        EXPECT_EQ(std::u32string(c.text), keyCapText(*found.key)) << c.label;
    }
}

TEST(Keys, NamedKeysAndTheirAliases)
{
    struct Case {
        Face face;
        const char *label;
        BYTE vk;
        UINT flags; // a flag the key must carry, 0 for none
    } cases[] = {
        {Face::Lower, "shift", 0, KEY_SHIFT},
        {Face::Lower, "Caps", 0, KEY_SHIFT},
        {Face::Lower, "backspace", 0x08, KEY_REPEAT},
        {Face::Caps, "bksp", 0x08, KEY_REPEAT},
        {Face::Lower, "return", 0x0D, 0},
        {Face::Shift, "Enter", 0x0D, 0},
        {Face::Lower, "space", 0x20, KEY_REPEAT},
        {Face::Lower, "tab", 0x09, KEY_VIRTUAL},
        {Face::Lower, "123", 0, KEY_TO_NUMERIC},
        {Face::Symbols, "numeric", 0, KEY_TO_NUMERIC},
        {Face::Lower, "symbols", 0, KEY_TO_SYMBOLS},
        {Face::Numeric, "sym", 0, KEY_TO_SYMBOLS},
        {Face::Numeric, "abc", 0, KEY_TO_LETTERS},
        {Face::Symbols, "letters", 0, KEY_TO_LETTERS},
        {Face::Numeric, "calc", 0, KEY_CALCULATOR},
        {Face::Numeric, "calculator", 0, KEY_CALCULATOR},
        {Face::Symbols, "#", 0x33, 0},
        {Face::Symbols, "½", 0, 0},
    };
    for (const Case &c : cases) {
        KeyRef found;
        ASSERT_TRUE(findKey(c.face, true, c.label, &found)) << faceName(c.face) << " " << c.label;
        EXPECT_EQ(c.vk, found.key->vk) << c.label;
        if (c.flags)
            EXPECT_TRUE(found.key->flags & c.flags) << c.label;
    }
}

TEST(Keys, LabelsAModeDoesNotCarry)
{
    struct Case {
        Face face;
        const char *label;
    } cases[] = {
        {Face::Lower, "A"},     {Face::Shift, "a"},    {Face::Numeric, "ß"}, {Face::Numeric, "shift"},
        {Face::Symbols, "tab"}, {Face::Lower, "calc"}, {Face::Lower, "ä"},   {Face::Lower, "nonsense"},
    };
    for (const Case &c : cases) {
        KeyRef found;
        EXPECT_FALSE(findKey(c.face, true, c.label, &found)) << faceName(c.face) << " " << c.label;
    }
    // What no page and no popup carries at all, and what only a popup carries.
    EXPECT_FALSE(labelExists("ẞ"));
    EXPECT_FALSE(labelExists("F1"));
    EXPECT_TRUE(labelExists("ä"));
    EXPECT_TRUE(labelExists("€"));
    EXPECT_TRUE(labelExists("SPACE"));
}

static KeyRef key(Face face, bool portrait, const char *label)
{
    KeyRef found;
    EXPECT_TRUE(findKey(face, portrait, label, &found)) << label;
    return found;
}

// Places from the panel's rules: the default cell over the key, 5 pixels off the panel's sides.
// Cells are found by label and lie where the popup's pictures give them, in the window that shows it.
TEST(Keys, PopupCellsByLabelAndInTheWindow)
{
    KeyRef o = key(Face::Lower, true, "o");
    EXPECT_EQ(9, popupCellCount(o));
    EXPECT_EQ(7, popupCellOf(o, "ö"));
    EXPECT_EQ(9, popupCellOf(o, "o"));
    EXPECT_EQ(0, popupCellOf(o, "ü"));
    EXPECT_EQ(0, popupCellOf(key(Face::Lower, true, "q"), "q")) << "q has no popup";

    // The cell of alternative k spans its list offsets inside a 10-pixel margin, 63 pixels high.
    const RECT window = {5, 300, 457, 383};
    EXPECT_TRUE(isPopupWindow(window));
    EXPECT_FALSE(isPopupWindow(RECT{0, 300, 58, 377})) << "the magnifier of a letter key";
    POINT first = popupCellCentre(o, window, 1), last = popupCellCentre(o, window, 9);
    EXPECT_EQ(5 + 10 + 23, first.x);
    EXPECT_EQ(5 + 10 + 407, last.x);
    EXPECT_EQ(300 + 10 + 31, first.y);
}
