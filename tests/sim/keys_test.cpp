// Keys by label: every key is found where the hit test finds it, names and aliases, labels a mode
// lacks, and the popup's place and cells on the screen.
#include <gtest/gtest.h>

#include "keys.h"

static const Face allFaces[] = {Face::Lower, Face::Shift, Face::Caps, Face::Numeric, Face::Symbols};

// Whatever label a key has, looking it up gives that very key, and the hit test finds it at every
// corner and at the centre of its rectangle.
TEST(Keys, EveryKeyIsFoundByItsLabelWhereTheHitTestFindsIt)
{
    for (Face face : allFaces) {
        for (bool portrait : {true, false}) {
            const KeyboardLayout &layout = layoutFor(face, portrait);
            int keys = 0;
            for (int row = 0; row < ROW_COUNT; ++row) {
                for (const KeyRecord *key = layout[row]; !isSentinel(*key); ++key, ++keys) {
                    std::string label = keyLabel(*key);
                    KeyRef found;
                    ASSERT_TRUE(findKey(face, portrait, label, &found)) << faceName(face) << " " << label;
                    EXPECT_EQ(key, found.key) << faceName(face) << " " << label << " found twice";
                    const RECT &r = found.rect;
                    POINT points[] = {{r.left, r.top},
                                      {r.right, r.top},
                                      {r.left, r.bottom},
                                      {r.right, r.bottom},
                                      {(r.left + r.right) / 2, (r.top + r.bottom) / 2}};
                    for (POINT p : points) {
                        KeyRef hit;
                        ASSERT_TRUE(keyAt(face, portrait, p.x, p.y, &hit)) << label << " at " << p.x << "," << p.y;
                        EXPECT_EQ(key, hit.key) << label << " at " << p.x << "," << p.y;
                    }
                }
            }
            EXPECT_GE(keys, 21) << faceName(face);
        }
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

TEST(Keys, GapsAndPointsOffTheRowsHoldNoKey)
{
    KeyRef found;
    // Row 2 of the numeric and symbols pages has no key between the last character and backspace.
    EXPECT_FALSE(keyAt(Face::Numeric, true, 384, 150, &found));
    EXPECT_FALSE(keyAt(Face::Symbols, true, 407, 188, &found));
    EXPECT_FALSE(keyAt(Face::Numeric, false, 543, 120, &found));
    EXPECT_FALSE(keyAt(Face::Lower, true, 100, -1, &found));
    EXPECT_FALSE(keyAt(Face::Lower, true, 100, 252, &found));
    EXPECT_FALSE(keyAt(Face::Lower, false, 100, 216, &found));
    EXPECT_FALSE(keyAt(Face::Lower, true, 480, 10, &found));
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
