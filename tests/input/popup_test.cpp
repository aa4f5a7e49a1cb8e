// The alternatives popup: where it opens, the dead zone, picking by dragging and by tapping, what
// the screen shows of its cells, mode gestures that end in it, and missing pictures.
#include "penfixture.h"

using namespace testsupport;

namespace {

// Portrait lowercase keys with alternatives.
const int ROW_A = 1, SLOT_A = 1; // a: 48..95, nine alternatives, default 1
const int ROW_O = 0, SLOT_O = 8; // o: 384..431, nine alternatives, default 9
const int ROW_S = 1, SLOT_S = 2; // s: four alternatives

// Pictures of the a list (day variant): the highlighted one and the normal one.
const unsigned A_PRESSED = 0x2000, A_NORMAL = 0x2001;

const int ABOVE_EVERYTHING_Y = -200; // far above the popup; reached under capture

class Popup : public PenTest {
  protected:
    // Holds a key until its popup opens.
    void hold(int row, int slot)
    {
        downOn(row, slot);
        advance(HOLD_MILLISECONDS);
        ASSERT_EQ(1, panel.popupShown);
    }
    // Holds a, then lifts the pen where it went down: the popup waits for a tap.
    void armForTap()
    {
        hold(ROW_A, SLOT_A);
        upOn(ROW_A, SLOT_A);
        ASSERT_EQ(1, panel.popupSelecting);
        ASSERT_EQ(0, panel.popupIndex);
    }
    // Screen x of a column of a cell, relative to the cell's left edge.
    int cellX(int cell, int dx) const { return panel.popupRect.left + 10 + listShown()[cell].left + dx; }
    int cellMidX(int cell) const { return cellX(cell, (listShown()[cell].right - listShown()[cell].left) / 2); }
    // Pen y (layout) through the middle of the cells.
    int cellPenY() const { return panel.popupRect.top + 10 + cellHeight / 2 - hostTop(); }
    const KeyRecord *listShown() const { return panel.heldKey ? panel.heldKey->alternatives : lastList; }

    // What the screen shows at a point of a cell: the picture and the cell it came from.
    ::testing::AssertionResult cellShows(int cell, unsigned imageId, int dx = -1, int dy = cellHeight / 2) const
    {
        const KeyRecord *list = listShown();
        int x = dx < 0 ? cellMidX(cell) : cellX(cell, dx);
        int y = panel.popupRect.top + 10 + dy;
        PopupPixel p = decodePopup(screenAt(x, y));
        if (p.valid && p.imageId == imageId && p.cell == cell)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "screen (" << x << ", " << y << ") shows popup picture 0x" << std::hex << p.imageId << std::dec
               << " cell " << p.cell << (p.valid ? "" : " (no popup pixel)") << ", expected cell " << cell << " of 0x"
               << std::hex << imageId << " (list " << (const void *)list << ")";
    }
    const KeyRecord *lastList = altLowerA;
};

// Holding, timer 1 of a key with alternatives: the popup opens (Popup, dragging), once.
TEST_F(Popup, TheOPopupIsClampedAtTheLeftEdgeWithItsDefaultCellHighlighted)
{
    downOn(ROW_O, SLOT_O);
    ASSERT_TRUE(magnifies(ROW_O, SLOT_O));
    advance(HOLD_MILLISECONDS - 1);
    EXPECT_EQ(0, panel.popupShown);
    advance(1);
    ASSERT_EQ(1, panel.popupShown);
    // Computed left 384 - 384 - 10 = -10, clamped to 5; 5 pixels above the key's row.
    EXPECT_EQ(5, panel.popupRect.left);
    EXPECT_EQ(457, panel.popupRect.right);
    EXPECT_EQ(hostTop() - 88, panel.popupRect.top);
    EXPECT_EQ(hostTop() - 5, panel.popupRect.bottom);
    RECT window = letterRect();
    EXPECT_EQ(5, window.left);
    EXPECT_EQ(hostTop() - 88, window.top);
    EXPECT_EQ(457, window.right);
    EXPECT_EQ(hostTop() - 5, window.bottom);
    EXPECT_EQ(9, panel.popupIndex);
    EXPECT_EQ(0, panel.popupSelecting);
    EXPECT_EQ(0, panel.popupDragged);
    EXPECT_EQ(0u, panel.timerId) << "the hold fires once";
    lastList = altLowerO;
    EXPECT_TRUE(cellShows(9, 0x2060));
    EXPECT_TRUE(cellShows(1, 0x2061));
    EXPECT_TRUE(looksPressed(ROW_O, SLOT_O)) << "the key keeps its pressed look";

    int loads = emuCallCount("SHLoadImageResource");
    advance(2000);
    EXPECT_EQ(loads, emuCallCount("SHLoadImageResource")) << "the popup does not open again";
    expectKeys({}, "o held");
}

TEST_F(Popup, TheAPopupIsShiftedLeftOfTheRightEdgeAndItsDefaultLeavesTheKey)
{
    hold(ROW_A, SLOT_A);
    // Computed 38 to 490 in a 480-pixel panel: shifted to end 5 pixels inside the right edge.
    EXPECT_EQ(23, panel.popupRect.left);
    EXPECT_EQ(475, panel.popupRect.right);
    EXPECT_EQ(hostTop() + 63 - 88, panel.popupRect.top);
    EXPECT_EQ(hostTop() + 63 - 5, panel.popupRect.bottom);
    EXPECT_EQ(23, letterRect().left);
    EXPECT_EQ(475, letterRect().right);
    // The default cell now lies at 33..80, no longer over the key (48..95).
    EXPECT_TRUE(cellShows(1, A_PRESSED, 0));
    EXPECT_TRUE(cellShows(1, A_PRESSED, 47));
    EXPECT_TRUE(cellShows(2, A_NORMAL, 0));
    EXPECT_EQ(33, cellX(1, 0));
}

// Popup, dragging: moves up to 10 pixels to either side change nothing; from 11 on the highlight
// follows, and the dead zone does not come back.
TEST_F(Popup, TheDeadZoneHoldsTenPixelsEitherSide)
{
    hold(ROW_A, SLOT_A);
    const int x = keyX(ROW_A, SLOT_A);
    penMove(x + 10, keyY(ROW_A));
    penMove(x - 10, ABOVE_EVERYTHING_Y); // y plays no part in the dead zone
    EXPECT_EQ(0, panel.popupDragged);
    EXPECT_EQ(1, panel.popupIndex);
    EXPECT_EQ(0, panel.popupSelecting);

    penMove(x + 11, keyY(ROW_A)); // cell 2
    EXPECT_EQ(1, panel.popupDragged);
    EXPECT_EQ(2, panel.popupIndex);
    EXPECT_EQ(1, panel.popupSelecting);
    penMove(x, keyY(ROW_A)); // back inside the old dead zone: tracked all the same
    EXPECT_EQ(1, panel.popupIndex);
    upOn(ROW_A, SLOT_A);
    expectKeys(typed('A', 'a'), "a held, dragged to the second cell and back");
    EXPECT_EQ(0, panel.popupShown);
    EXPECT_FALSE(letterShown());
    EXPECT_EQ(nullptr, panel.pressedKey);
    EXPECT_EQ(nullptr, panel.heldKey);
    EXPECT_FALSE(key(ROW_A, SLOT_A).flags & KEY_PRESSED);
    EXPECT_TRUE(looksNormal(ROW_A, SLOT_A));
    EXPECT_FALSE(capturing());
}

// Popup, dragging, move past the dead zone onto another cell: armed with the pen down. Armed, move:
// tracked. Armed, pen-up: the highlighted alternative goes out.
TEST_F(Popup, DraggingToAnotherCellAndLiftingSendsIt)
{
    static const Calls aHeldDraggedToAGrave = typed(0, 0xE0);
    hold(ROW_A, SLOT_A);
    penMove(keyX(ROW_A, SLOT_A) + 11, keyY(ROW_A));
    EXPECT_TRUE(cellShows(2, A_PRESSED));
    EXPECT_TRUE(cellShows(1, A_NORMAL, 47, cellHeight - 1)) << "the cell left is restored to its last pixel";
    upOn(ROW_A, SLOT_A);
    expectKeys(aHeldDraggedToAGrave, "a held, dragged to the second cell");

    // Further moves while armed keep tracking: across several cells and back.
    static const Calls aHeldDraggedToAAcute = typed(0, 0xE1);
    advance(100);
    hold(ROW_A, SLOT_A);
    penMove(cellX(2, 5), cellPenY());
    penMove(cellX(4, 5), cellPenY());
    EXPECT_TRUE(cellShows(4, A_PRESSED));
    EXPECT_TRUE(cellShows(2, A_NORMAL, 47));
    penMove(cellX(3, 47), keyY(ROW_A));
    EXPECT_TRUE(cellShows(3, A_PRESSED, 47));
    EXPECT_TRUE(cellShows(4, A_NORMAL, 0));
    penUp(cellX(3, 47), keyY(ROW_A));
    expectKeys(aHeldDraggedToAAcute, "a held, dragged over cells 2 and 4 to 3");
}

// Popup, dragging, moves that never leave the default cell, then pen-up: the popup waits for a tap
// as if the pen had not moved.
TEST_F(Popup, DraggingWithinTheDefaultCellThenLiftingLeavesThePopupWaiting)
{
    hold(ROW_A, SLOT_A);
    penMove(keyX(ROW_A, SLOT_A) - 11, keyY(ROW_A));
    EXPECT_EQ(1, panel.popupDragged);
    EXPECT_EQ(0, panel.popupSelecting) << "the highlight did not change";
    upOn(ROW_A, SLOT_A);
    expectKeys({}, "a held, wiggled within its cell, lifted");
    EXPECT_EQ(1, panel.popupShown);
    EXPECT_EQ(1, panel.popupSelecting);
    EXPECT_EQ(0, panel.popupIndex);
    EXPECT_TRUE(capturing()) << "the popup keeps the pen for the tap";
    EXPECT_TRUE(cellShows(1, A_NORMAL)) << "the highlight is gone";
    EXPECT_TRUE(cellShows(1, A_NORMAL, 47, cellHeight - 1));
}

// The drag band: from 53 pixels above the popup to 131 below it, and 10 pixels inside its sides.
TEST_F(Popup, DraggingOffThePopupRemovesTheHighlightAndLiftingSendsNothing)
{
    hold(ROW_A, SLOT_A);
    const int x = cellMidX(3);
    const int topmost = panel.popupRect.top - cellHeight + 10 - hostTop();
    const int lowest = panel.popupRect.bottom + 2 * cellHeight + 5 - hostTop();
    penMove(x, topmost);
    EXPECT_EQ(3, panel.popupIndex);
    penMove(x, topmost - 1);
    EXPECT_EQ(0, panel.popupIndex);
    EXPECT_TRUE(cellShows(3, A_NORMAL));
    penMove(x, lowest);
    EXPECT_EQ(3, panel.popupIndex);
    penMove(x, lowest + 1);
    EXPECT_EQ(0, panel.popupIndex);
    penMove(panel.popupRect.left + 10, lowest);
    EXPECT_EQ(1, panel.popupIndex);
    penMove(panel.popupRect.left + 9, lowest);
    EXPECT_EQ(0, panel.popupIndex);
    EXPECT_TRUE(cellShows(1, A_NORMAL));
    penUp(panel.popupRect.left + 9, lowest);
    expectKeys({}, "a held, dragged off the popup, lifted");
    EXPECT_EQ(0, panel.popupShown);
    EXPECT_FALSE(letterShown());

    // Off the popup and back onto the default cell: highlighted again, and sent.
    advance(100);
    hold(ROW_A, SLOT_A);
    penMove(cellMidX(1), ABOVE_EVERYTHING_Y);
    EXPECT_EQ(0, panel.popupIndex);
    penMove(cellMidX(1), cellPenY());
    EXPECT_EQ(1, panel.popupIndex);
    EXPECT_TRUE(cellShows(1, A_PRESSED));
    penUp(cellMidX(1), cellPenY());
    expectKeys(typed('A', 'a'), "a held, dragged off and back onto its own cell");
}

// Popup, armed with the pen up, pen-down: a tap picks by x alone inside the popup's rectangle
// (edges included), sends nothing outside it, and its moves and pen-up do nothing more.
TEST_F(Popup, ATapPicksByXInsideThePopupAndNothingOutside)
{
    struct TapCase {
        const char *where;
        int dx; // from the popup's left edge
        int dy; // from the popup's top edge
        Calls sent;
    };
    const int w = 475 - 23;
    const TapCase cases[] = {
        {"on the fourth cell", 10 + 144 + 20, 40, typed(0, 0xE2)},
        {"in the left margin", 2, 40, typed('A', 'a')},
        {"in the right margin", w - 2, 40, typed(0, 0x101)},
        {"on the right edge", w, 40, typed(0, 0x101)},
        {"on the top edge", 130, 0, typed(0, 0xE1)},
        {"on the bottom edge", 130, 83, typed(0, 0xE1)},
        {"past the right edge", w + 1, 40, {}},
        {"above the top edge", 130, -1, {}},
        {"below the bottom edge", 130, 84, {}},
    };
    for (const TapCase &c : cases) {
        SCOPED_TRACE(c.where);
        advance(100);
        armForTap();
        const int x = panel.popupRect.left + c.dx, y = panel.popupRect.top + c.dy - hostTop();
        penDown(x, y);
        EXPECT_EQ(0, panel.popupShown);
        EXPECT_FALSE(letterShown());
        EXPECT_EQ(1, panel.ignoreNextUp);
        EXPECT_TRUE(capturing()) << "the tap's own pen-up is still to come";
        expectKeys(c.sent, c.where);
        // The rest of the tap, over keys of the keyboard: swallowed.
        penMove(keyX(0, 4), keyY(0));
        penUp(keyX(0, 4), keyY(0));
        expectKeys({}, "the moves and pen-up of the tap");
        EXPECT_EQ(0, panel.ignoreNextUp);
        EXPECT_FALSE(capturing());
        EXPECT_FALSE(key(0, 4).flags & KEY_PRESSED);
        EXPECT_TRUE(looksNormal(0, 4));
    }
}

// Picking from a popup opened under a held mode key ends that gesture: back to the saved mode.
TEST_F(Popup, PickingWhileAModeKeyIsHeldReturnsToTheSavedMode)
{
    static const Calls shiftHeldOntoAThenAGrave = typed(0, 0xC0);
    downOn(2, 0); // shift
    moveOnto(ROW_A, SLOT_A);
    advance(HOLD_MILLISECONDS);
    ASSERT_EQ(1, panel.popupShown);
    ASSERT_EQ(altUpperA, panel.heldKey->alternatives);
    penMove(keyX(ROW_A, SLOT_A) + 11, keyY(ROW_A));
    upOn(ROW_A, SLOT_A);
    expectKeys(shiftHeldOntoAThenAGrave, "shift held onto A, dragged to the second cell");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(&lowerPortrait, panel.currentLayout);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    EXPECT_EQ(0, panel.modeKeyTyped);
    EXPECT_TRUE(keyShows(0, 3, 0x1001)) << "the lowercase face is back on screen";

    // Picked by a tap instead.
    advance(100);
    downOn(2, 0);
    moveOnto(ROW_A, SLOT_A);
    advance(HOLD_MILLISECONDS);
    upOn(ROW_A, SLOT_A);
    EXPECT_EQ((KeyboardMode)MODE_SHIFT, panel.mode) << "the first pen-up leaves the gesture open";
    penDown(cellMidX(3), cellPenY());
    expectKeys(typed(0, 0xC1), "shift held onto A, lifted, third cell tapped");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    penUp(cellMidX(3), cellPenY());
}

// An alternative does not end the one-shot shift.
TEST_F(Popup, AnAlternativePickedInTheOneShotShiftLeavesTheShift)
{
    tapOn(2, 0);
    ASSERT_EQ((KeyboardMode)MODE_SHIFT, panel.mode);
    advance(100);
    hold(ROW_A, SLOT_A);
    penMove(keyX(ROW_A, SLOT_A) + 11, keyY(ROW_A));
    upOn(ROW_A, SLOT_A);
    EXPECT_EQ((KeyboardMode)MODE_SHIFT, panel.mode);
    tapOn(2, 5);
    expectKeys(typed(0, 0xC0) + typedShifted('B', 'B'), "shift, A held to its second cell, then b");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
}

// A popup wider than the panel less its two 5-pixel margins: the right clamp comes second and wins.
TEST_F(Popup, TheRightClampWinsOverTheLeftOne)
{
    static const AlternativesList wide = {
        {0, 470, 0, 1, A_PRESSED, 0},
        {0, 47, 0x41, 'a', 0, 0},
        {48, 470, 0, 0xE0, 0, 0},
        {640, 640, SENTINEL_VK, 0, 0, 0},
    };
    KeyRecord wideKey = {48, 95, 0x41, 'a', 0, wide};
    RECT rect = {48, 63, 95, 125};
    panel.pressedKeyRect = rect;
    panel.pressedKey = panel.heldKey = &wideKey;
    openPopup();
    EXPECT_EQ(475, panel.popupRect.right);
    EXPECT_EQ(475 - 490, panel.popupRect.left);
    EXPECT_EQ(475 - 490, letterRect().left);
    inputMethod->Hiding();
    EXPECT_EQ(0, panel.popupShown);
    panel.pressedKey = nullptr; // the key goes out of scope
}

// The bounce test sees an alternative as a record of its own, apart from the key it came from.
TEST_F(Popup, AnAlternativeIsNoBounceOfItsKey)
{
    hold(ROW_A, SLOT_A);
    penMove(cellMidX(1), ABOVE_EVERYTHING_Y);
    penMove(cellMidX(1), cellPenY());
    penUp(cellMidX(1), cellPenY()); // the default alternative, a record apart from the key
    advance(10);
    tapOn(ROW_A, SLOT_A);
    advance(10);
    tapOn(ROW_A, SLOT_A); // the key again within 75 ms: a bounce
    expectKeys(typed('A', 'a') + typed('A', 'a'), "a picked from its popup, then tapped twice quickly");
}

class PopupInLandscape : public Popup {
  protected:
    void SetUp() override
    {
        landscape = true;
        Popup::SetUp();
    }
};

// The question mark of the landscape symbols: two alternatives, the default one centred over the
// key, 8 pixels inside each of its edges.
TEST_F(PopupInLandscape, TheQuestionMarkPopupCentresItsDefaultCellOverTheKey)
{
    ASSERT_EQ(0, panel.portrait);
    tapOn(3, 1); // symbols
    ASSERT_EQ(&symbolsLandscape, panel.currentLayout);
    hold(3, 4);
    ASSERT_EQ(altQuestion, panel.heldKey->alternatives);
    EXPECT_EQ(398, panel.popupRect.left);
    EXPECT_EQ(514, panel.popupRect.right);
    EXPECT_EQ(hostTop() + 74, panel.popupRect.top);
    EXPECT_EQ(hostTop() + 157, panel.popupRect.bottom);
    RECT window = letterRect();
    EXPECT_EQ(398, window.left);
    EXPECT_EQ(hostTop() + 74, window.top);
    EXPECT_EQ(116, window.right - window.left);
    EXPECT_EQ(83, window.bottom - window.top);

    const int y = hostTop() + 74 + 40;
    PopupPixel before = decodePopup(screenAt(455, y)), first = decodePopup(screenAt(456, y)),
               last = decodePopup(screenAt(503, y)), after = decodePopup(screenAt(504, y));
    EXPECT_TRUE(before.valid && before.cell == 1 && before.imageId == 0x2221) << "cell " << before.cell;
    EXPECT_TRUE(first.valid && first.cell == 2 && first.imageId == 0x2220) << "cell " << first.cell;
    EXPECT_TRUE(last.valid && last.cell == 2 && last.imageId == 0x2220) << "cell " << last.cell;
    EXPECT_TRUE(after.valid && after.cell == 0 && after.imageId == 0x2221) << "cell " << after.cell;

    penMove(440, keyY(3));
    upOn(3, 4);
    expectKeys(typed(0, 0xBF), "question mark held, dragged to the inverted one");
}

// A popup whose pictures are missing is laid out and picked from all the same; it shows the
// pictures of the popup before, and the half of a pair that loaded is not kept.
class PopupWithoutPictures : public Popup {
  protected:
    void SetUp() override
    {
        omit = {A_NORMAL};
        Popup::SetUp();
    }
};

TEST_F(PopupWithoutPictures, IsLaidOutAndPickedFromAllTheSame)
{
    hold(ROW_A, SLOT_A);
    EXPECT_EQ(nullptr, panel.popupNormalBitmap);
    EXPECT_EQ(nullptr, panel.popupPressedBitmap);
    EXPECT_EQ(23, panel.popupRect.left);
    penMove(keyX(ROW_A, SLOT_A) + 11, keyY(ROW_A));
    upOn(ROW_A, SLOT_A);
    expectKeys(typed(0, 0xE0), "a dragged to its second cell without pictures");

    advance(100);
    hold(ROW_S, SLOT_S);
    HBITMAP normal = panel.popupNormalBitmap, pressed = panel.popupPressedBitmap;
    ASSERT_NE(nullptr, normal);
    upOn(ROW_S, SLOT_S);
    penDown(0, ABOVE_EVERYTHING_Y);
    penUp(0, ABOVE_EVERYTHING_Y);
    int bitmaps = emuLiveCount(EMU_BITMAP);
    hold(ROW_A, SLOT_A);
    EXPECT_EQ(normal, panel.popupNormalBitmap);
    EXPECT_EQ(pressed, panel.popupPressedBitmap);
    EXPECT_EQ(bitmaps, emuLiveCount(EMU_BITMAP)) << "the highlighted picture that did load is not kept";
    penMove(keyX(ROW_A, SLOT_A) + 59, keyY(ROW_A));
    upOn(ROW_A, SLOT_A);
    expectKeys(typed(0, 0xE1), "a dragged to its third cell with the pictures of s");
}

} // namespace
