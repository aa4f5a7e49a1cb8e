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
TEST(Keys, PopupsArePlacedOverTheirKeyAndKeptOnThePanel)
{
    struct Case {
        Face face;
        bool portrait;
        const char *label;
        int panelTop, panelRight;
        RECT rect;
        int defaultCell;
    } cases[] = {
        // Landscape question mark (row top 162): 116 wide, its lower edge 5 above the key.
        {Face::Symbols, false, "?", 264, 640, {398, 264 + 74, 398 + 116, 264 + 74 + 83}, 2},
        // Portrait o: would start at -10, so it is moved to 5.
        {Face::Lower, true, "o", 388, 480, {5, 388 - 88, 457, 388 - 5}, 9},
        // Portrait a: would end at 490, so it is moved left to end 5 before the panel's right.
        {Face::Lower, true, "a", 388, 480, {23, 388 + 63 - 88, 475, 388 + 63 - 5}, 1},
        // Portrait u: fits as computed, the default cell right over the key.
        {Face::Lower, true, "u", 388, 480, {38, 300, 346, 383}, 6},
    };
    for (const Case &c : cases) {
        PopupPlace place = placePopup(key(c.face, c.portrait, c.label), c.panelTop, c.panelRight);
        EXPECT_EQ(c.rect.left, place.rect.left) << c.label;
        EXPECT_EQ(c.rect.top, place.rect.top) << c.label;
        EXPECT_EQ(c.rect.right, place.rect.right) << c.label;
        EXPECT_EQ(c.rect.bottom, place.rect.bottom) << c.label;
        EXPECT_EQ(c.defaultCell, place.defaultCell) << c.label;
    }
    // The landscape question mark's default cell lies at x 456 to 503, 8 inside each side of the key.
    KeyRef question = key(Face::Symbols, false, "?");
    PopupPlace place = placePopup(question, 264, 640);
    EXPECT_EQ((456 + 503) / 2, popupCellCentre(question, place, 2).x);
}

TEST(Keys, PopupCellsByLabelAndUnderThePen)
{
    KeyRef o = key(Face::Lower, true, "o");
    PopupPlace place = placePopup(o, 388, 480);
    EXPECT_EQ(9, place.cells);
    EXPECT_EQ(7, popupCellOf(o, "ö"));
    EXPECT_EQ(9, popupCellOf(o, "o"));
    EXPECT_EQ(0, popupCellOf(o, "ü"));
    EXPECT_EQ(0, popupCellOf(key(Face::Lower, true, "q"), "q")) << "q has no popup";

    for (int cell = 1; cell <= place.cells; ++cell) {
        POINT c = popupCellCentre(o, place, cell);
        EXPECT_EQ(cell, popupCellAt(o, place, c.x, c.y)) << "cell " << cell;
        // The pen is followed down over the key's row and the row beneath it.
        EXPECT_EQ(cell, popupCellAt(o, place, c.x, place.rect.bottom + 2 * 63 + 5)) << "cell " << cell;
    }
    POINT first = popupCellCentre(o, place, 1);
    EXPECT_EQ(0, popupCellAt(o, place, first.x, place.rect.bottom + 2 * 63 + 6));
    EXPECT_EQ(0, popupCellAt(o, place, first.x, place.rect.top - 63 + 9));
    EXPECT_EQ(0, popupCellAt(o, place, place.rect.left + 9, first.y));
    EXPECT_EQ(1, popupCellAt(o, place, place.rect.left + 10, first.y));
}
