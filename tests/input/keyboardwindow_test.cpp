// The keyboard window's pen state machine: presses, slides, leaving the rows, lifts, Hiding,
// reselection, a missing host callback and the display-reset notice.
#include "penfixture.h"

using namespace testsupport;

namespace {

// Portrait lowercase keys used below.
enum {
    SLOT_E = 2, // row 0, has alternatives
    SLOT_R = 3, // row 0
    SLOT_A = 1, // row 1, has alternatives
    SLOT_S = 2, // row 1, has alternatives
    SLOT_D = 3, // row 1
    SLOT_F = 4, // row 1
    SLOT_SHIFT = 0,
    SLOT_X = 2,        // row 2
    SLOT_M = 7,        // row 2
    SLOT_BACKSPACE = 8 // row 2, repeats
};

const int OFF_ROWS_Y = -20; // above the keyboard, reached only under capture

static const Calls backspaceRepeatThenUp = {charEvent(0x08, 0x80, 0x08), charEvent(0x08, 0x10040, 0x08)};

class KeyboardWindow : public PenTest {
  protected:
    int timerCalls() const { return emuCallCount("SetTimer") + emuCallCount("KillTimer"); }
    int blits() const { return emuCallCount("BitBlt") + emuCallCount("StretchBlt"); }
};

// Idle, pen-down on a plain key: Pressed. Pressed, pen-up inside the rows: the key goes out; Idle.
TEST_F(KeyboardWindow, APlainKeyIsPressedAtPenDownAndSentAtPenUp)
{
    downOn(ROW_ASDF, SLOT_D);
    EXPECT_EQ(&key(ROW_ASDF, SLOT_D), panel.pressedKey);
    EXPECT_TRUE(key(ROW_ASDF, SLOT_D).flags & KEY_PRESSED);
    EXPECT_EQ(nullptr, panel.heldKey);
    EXPECT_EQ(0u, panel.timerId) << "a plain key starts no hold timer";
    EXPECT_TRUE(capturing());
    EXPECT_EQ(1, panel.captured);
    EXPECT_TRUE(looksPressed(ROW_ASDF, SLOT_D));
    EXPECT_TRUE(magnifies(ROW_ASDF, SLOT_D));
    expectKeys({}, "pen-down alone");

    upOn(ROW_ASDF, SLOT_D);
    expectKeys(typed('D', 'd'), "tap d");
    EXPECT_EQ(nullptr, panel.pressedKey);
    EXPECT_FALSE(key(ROW_ASDF, SLOT_D).flags & KEY_PRESSED);
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D));
    EXPECT_FALSE(letterShown());
    EXPECT_FALSE(capturing());
    EXPECT_EQ(0, panel.captured);
}

// Idle, pen-down on a KEY_REPEAT key or a key with alternatives: Holding, with timer 1.
TEST_F(KeyboardWindow, ARepeatKeyOrAKeyWithAlternativesStartsTheHoldTimer)
{
    downOn(ROW_YXCV, SLOT_BACKSPACE);
    EXPECT_EQ(&key(ROW_YXCV, SLOT_BACKSPACE), panel.heldKey);
    EXPECT_EQ((UINT_PTR)TIMER_HOLD, panel.timerId);
    advance(499);
    expectKeys({}, "backspace held 499 ms");
    upOn(ROW_YXCV, SLOT_BACKSPACE);
    // A repeat key lifted before the hold: the repeat's key-up, then its tap.
    expectKeys(Calls{charEvent(0x08, 0x10040, 0x08)} + typed(0x08, 0x08), "backspace tapped");
    EXPECT_EQ(nullptr, panel.heldKey);
    EXPECT_EQ(0u, panel.timerId);

    downOn(ROW_QWERTZ, SLOT_E);
    EXPECT_EQ(&key(ROW_QWERTZ, SLOT_E), panel.heldKey);
    EXPECT_EQ((UINT_PTR)TIMER_HOLD, panel.timerId);
    EXPECT_TRUE(magnifies(ROW_QWERTZ, SLOT_E));
    upOn(ROW_QWERTZ, SLOT_E);
    expectKeys(typed('E', 'e'), "e tapped before the hold");
}

// Idle, pen-down outside the rows or on no key: nothing pressed, no capture.
TEST_F(KeyboardWindow, APenDownOffTheRowsOrInAGapPressesNothingAndTakesNoCapture)
{
    int captures = emuCallCount("SetCapture");
    const int belowRows = 252, aboveRows = -1;
    const int ys[] = {belowRows, aboveRows};
    for (int y : ys) {
        sendPen(WM_LBUTTONDOWN, 100, y);
        EXPECT_EQ(nullptr, panel.pressedKey) << "y " << y;
        EXPECT_EQ(0, panel.captured) << "y " << y;
        sendPen(WM_LBUTTONUP, 100, y);
    }
    EXPECT_EQ(captures, emuCallCount("SetCapture"));

    // The symbols layout has a gap before backspace in its third row.
    tapOn(ROW_SPACE, 1);
    ASSERT_EQ((KeyboardMode)MODE_SYMBOLS, panel.mode);
    captures = emuCallCount("SetCapture");
    const int gapX = 395;
    penDown(gapX, keyY(2));
    EXPECT_EQ(nullptr, panel.pressedKey);
    EXPECT_FALSE(capturing());
    // Still over the keyboard, the pen slides onto ";": pressed like a slide, still without capture.
    moveOnto(2, 7);
    EXPECT_EQ(&key(2, 7), panel.pressedKey);
    EXPECT_TRUE(magnifies(2, 7));
    EXPECT_FALSE(capturing());
    EXPECT_EQ(0, panel.captured);
    upOn(2, 7);
    expectKeys(typed(0xBA, ';'), "gap, then slide onto ;");
    EXPECT_EQ(captures, emuCallCount("SetCapture"));
}

TEST_F(KeyboardWindow, HoldingAPlainKeyDoesNothingAtTheHold)
{
    int timers = emuCallCount("SetTimer");
    downOn(ROW_ASDF, SLOT_D);
    advance(2000);
    expectKeys({}, "d held 2 s");
    EXPECT_EQ(timers, emuCallCount("SetTimer"));
    EXPECT_FALSE(panel.popupShown);
    upOn(ROW_ASDF, SLOT_D);
    expectKeys(typed('D', 'd'), "d lifted after 2 s");
}

// Pressed, move onto another key: the slide sends nothing for the key left.
TEST_F(KeyboardWindow, ASlideFromAPressedKeySendsNothingForTheKeyLeft)
{
    downOn(ROW_ASDF, SLOT_D);
    moveOnto(ROW_ASDF, SLOT_F);
    EXPECT_EQ(&key(ROW_ASDF, SLOT_F), panel.pressedKey);
    EXPECT_FALSE(key(ROW_ASDF, SLOT_D).flags & KEY_PRESSED);
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D));
    EXPECT_TRUE(looksPressed(ROW_ASDF, SLOT_F));
    EXPECT_TRUE(magnifies(ROW_ASDF, SLOT_F));
    EXPECT_EQ(0u, panel.timerId);
    expectKeys({}, "slide d to f");

    // Onto a key with alternatives: Holding, its hold timed from the slide.
    advance(300);
    moveOnto(ROW_ASDF, SLOT_S);
    EXPECT_EQ(&key(ROW_ASDF, SLOT_S), panel.heldKey);
    EXPECT_EQ((UINT_PTR)TIMER_HOLD, panel.timerId);
    advance(499);
    EXPECT_FALSE(panel.popupShown) << "the hold starts afresh at the slide";
    advance(1);
    EXPECT_TRUE(panel.popupShown);
    expectKeys({}, "slide f to s and hold");
}

// Holding, move onto another key: the hold ends; onto a plain key, Pressed.
TEST_F(KeyboardWindow, ASlideFromAHeldKeyStopsItsHold)
{
    downOn(ROW_QWERTZ, SLOT_E);
    advance(300);
    moveOnto(ROW_QWERTZ, SLOT_R);
    EXPECT_EQ(nullptr, panel.heldKey);
    EXPECT_EQ(0u, panel.timerId);
    EXPECT_TRUE(looksNormal(ROW_QWERTZ, SLOT_E));
    advance(1000);
    EXPECT_FALSE(panel.popupShown);
    upOn(ROW_QWERTZ, SLOT_R);
    expectKeys(typed('R', 'r'), "e held, slid onto r");
}

// Repeating, move onto another key: the repeat's key-up, and nothing for the key left.
TEST_F(KeyboardWindow, ASlideFromARepeatingKeyEndsTheRepeat)
{
    static const Calls backspaceRepeatThenSlideToM = backspaceRepeatThenUp + typed('M', 'm');
    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(600);
    moveOnto(ROW_YXCV, SLOT_M);
    EXPECT_EQ(0u, panel.timerId);
    EXPECT_EQ(nullptr, panel.heldKey);
    advance(1000);
    upOn(ROW_YXCV, SLOT_M);
    expectKeys(backspaceRepeatThenSlideToM, "backspace repeating, slid onto m");
}

// Pressed, Holding, Repeating: a move within the key or onto no key changes nothing, at no cost.
TEST_F(KeyboardWindow, MovesWithinTheKeyOrOntoNoKeyChangeNothing)
{
    const int beyondTheRow = 500; // past the last key; the pen is captured
    downOn(ROW_ASDF, SLOT_D);
    int timers = timerCalls(), copies = blits();
    penMove(key(ROW_ASDF, SLOT_D).left, keyY(ROW_ASDF) - 20);
    penMove(beyondTheRow, keyY(ROW_ASDF));
    EXPECT_EQ(timers, timerCalls());
    EXPECT_EQ(copies, blits()) << "nothing is redrawn";
    EXPECT_EQ(&key(ROW_ASDF, SLOT_D), panel.pressedKey);
    EXPECT_TRUE(magnifies(ROW_ASDF, SLOT_D));
    penUp(beyondTheRow, keyY(ROW_ASDF)); // inside the rows: x is not looked at
    expectKeys(typed('D', 'd'), "d with moves inside and beyond");

    downOn(ROW_QWERTZ, SLOT_E);
    advance(200);
    penMove(key(ROW_QWERTZ, SLOT_E).right, keyY(ROW_QWERTZ));
    penMove(beyondTheRow, keyY(ROW_QWERTZ));
    advance(299);
    EXPECT_FALSE(panel.popupShown);
    advance(1);
    EXPECT_TRUE(panel.popupShown) << "the hold keeps its time from the pen-down";
    cancelPen();

    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(600);
    penMove(key(ROW_YXCV, SLOT_BACKSPACE).left, keyY(ROW_YXCV));
    penMove(beyondTheRow, keyY(ROW_YXCV));
    advance(412); // the second repeat comes 512 ms after the first
    EXPECT_EQ(2u, callback.keyCalls().size());
}

// Pressed, move out of the rows: Off the rows. Off the rows, back onto the key: still unpressed;
// lifted there, the key goes out all the same.
TEST_F(KeyboardWindow, LeavingTheRowsUnpressesTheKeyButKeepsIt)
{
    downOn(ROW_ASDF, SLOT_D);
    penMove(keyX(ROW_ASDF, SLOT_D), OFF_ROWS_Y);
    EXPECT_EQ(&key(ROW_ASDF, SLOT_D), panel.pressedKey);
    EXPECT_FALSE(key(ROW_ASDF, SLOT_D).flags & KEY_PRESSED);
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D));
    EXPECT_FALSE(letterShown());
    EXPECT_TRUE(capturing());

    moveOnto(ROW_ASDF, SLOT_D);
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D)) << "back on the key, it is not redrawn pressed";
    EXPECT_FALSE(letterShown());
    upOn(ROW_ASDF, SLOT_D);
    expectKeys(typed('D', 'd'), "d, off the rows and back");
}

// Holding and Repeating, move out of the rows: the hold or the repeat ends; back on the key,
// nothing starts again.
TEST_F(KeyboardWindow, LeavingTheRowsStopsAHoldOrARepeat)
{
    downOn(ROW_QWERTZ, SLOT_E);
    advance(200);
    penMove(keyX(ROW_QWERTZ, SLOT_E), OFF_ROWS_Y);
    EXPECT_EQ(0u, panel.timerId);
    EXPECT_EQ(nullptr, panel.heldKey);
    advance(1000);
    EXPECT_FALSE(panel.popupShown);
    moveOnto(ROW_QWERTZ, SLOT_E);
    EXPECT_EQ(0u, panel.timerId) << "no timer starts back on the pressed key";
    upOn(ROW_QWERTZ, SLOT_E);
    expectKeys(typed('E', 'e'), "e held, off the rows and back");

    static const Calls backspaceRepeatOffAndBack = backspaceRepeatThenUp + typed(0x08, 0x08);
    advance(100);
    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(600);
    penMove(keyX(ROW_YXCV, SLOT_BACKSPACE), OFF_ROWS_Y);
    advance(1000);
    moveOnto(ROW_YXCV, SLOT_BACKSPACE);
    advance(1000);
    upOn(ROW_YXCV, SLOT_BACKSPACE);
    expectKeys(backspaceRepeatOffAndBack, "backspace repeating, off the rows and back");
}

// Off the rows, move onto another key: a slide (Pressed or Holding); onto no key: nothing.
TEST_F(KeyboardWindow, FromOffTheRowsAMoveOntoAnotherKeySlides)
{
    downOn(ROW_ASDF, SLOT_D);
    penMove(keyX(ROW_ASDF, SLOT_D), OFF_ROWS_Y);
    penMove(500, keyY(ROW_ASDF));
    EXPECT_FALSE(letterShown()) << "onto no key";
    moveOnto(ROW_ASDF, SLOT_F);
    EXPECT_EQ(&key(ROW_ASDF, SLOT_F), panel.pressedKey);
    EXPECT_TRUE(looksPressed(ROW_ASDF, SLOT_F));
    EXPECT_TRUE(magnifies(ROW_ASDF, SLOT_F));
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D));

    penMove(keyX(ROW_ASDF, SLOT_F), OFF_ROWS_Y);
    moveOnto(ROW_ASDF, SLOT_S);
    EXPECT_EQ(&key(ROW_ASDF, SLOT_S), panel.heldKey);
    advance(500);
    EXPECT_TRUE(panel.popupShown);
    expectKeys({}, "off the rows, onto f, off, onto s and held");
}

// Pressed, Holding, Repeating, Off the rows: a pen-up outside the rows sends nothing.
TEST_F(KeyboardWindow, LiftingOffTheRowsSendsNothing)
{
    downOn(ROW_ASDF, SLOT_D);
    penMove(keyX(ROW_ASDF, SLOT_D), OFF_ROWS_Y);
    penUp(keyX(ROW_ASDF, SLOT_D), OFF_ROWS_Y);
    expectKeys({}, "d lifted off the rows");
    EXPECT_EQ(nullptr, panel.pressedKey);
    EXPECT_FALSE(capturing());

    downOn(ROW_QWERTZ, SLOT_E);
    advance(200);
    penMove(keyX(ROW_QWERTZ, SLOT_E), OFF_ROWS_Y);
    penUp(keyX(ROW_QWERTZ, SLOT_E), OFF_ROWS_Y);
    advance(1000);
    expectKeys({}, "e held and lifted off the rows");
    EXPECT_FALSE(panel.popupShown);

    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(600);
    penMove(keyX(ROW_YXCV, SLOT_BACKSPACE), OFF_ROWS_Y);
    penUp(keyX(ROW_YXCV, SLOT_BACKSPACE), OFF_ROWS_Y);
    advance(1000);
    expectKeys(backspaceRepeatThenUp, "backspace repeating, lifted off the rows");
}

// A pen-up reported outside the rows with no move there first ends the press as leaving the rows
// would: the key is unpressed and a repeat gets its key-up, but nothing is typed.
TEST_F(KeyboardWindow, ALiftOffTheRowsWithoutAMoveThereUnpressesAndEndsTheRepeat)
{
    downOn(ROW_ASDF, SLOT_D);
    penUp(keyX(ROW_ASDF, SLOT_D), OFF_ROWS_Y);
    expectKeys({}, "d lifted off the rows at once");
    EXPECT_FALSE(key(ROW_ASDF, SLOT_D).flags & KEY_PRESSED);
    EXPECT_FALSE(letterShown());
    EXPECT_EQ(0, panel.letterVisible);
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D));
    EXPECT_FALSE(capturing());

    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(600);
    penUp(keyX(ROW_YXCV, SLOT_BACKSPACE), OFF_ROWS_Y);
    advance(1000);
    expectKeys(backspaceRepeatThenUp, "backspace repeating, lifted off the rows at once");
    EXPECT_EQ(0u, panel.timerId);
    EXPECT_TRUE(looksNormal(ROW_YXCV, SLOT_BACKSPACE));
}

// A timer that cannot be started leaves the held key a plain tap.
TEST_F(KeyboardWindow, AHoldTimerThatFailsToStartLeavesATap)
{
    emuFailCall("SetTimer", 1);
    downOn(ROW_QWERTZ, SLOT_E);
    EXPECT_EQ(0u, panel.timerId);
    advance(1000);
    EXPECT_FALSE(panel.popupShown);
    upOn(ROW_QWERTZ, SLOT_E);
    expectKeys(typed('E', 'e'), "e held without its timer");

    emuFailCall("SetTimer", 1);
    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(1000);
    upOn(ROW_YXCV, SLOT_BACKSPACE);
    expectKeys(Calls{charEvent(0x08, 0x10040, 0x08)} + typed(0x08, 0x08), "backspace held without its timer");
}

TEST_F(KeyboardWindow, OnlyTheDisplayResetNoticeIsActedOn)
{
    MoveWindow(hostWindow, 0, 300, 480, 252, TRUE);
    emuPump();
    RECT before = panel.hostRect;
    EXPECT_EQ(0, SendMessageW(panel.keyboardWindow, WM_SETTINGCHANGE, 0x1234, 0));
    EXPECT_EQ(before.top, panel.hostRect.top);
    EXPECT_TRUE(callback.calls().empty());

    EXPECT_EQ(0, SendMessageW(panel.keyboardWindow, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0));
    EXPECT_EQ(300, panel.hostRect.top);
    EXPECT_EQ(300, panel.imInfo.rcSipRect.top);
    EXPECT_EQ(552, panel.imInfo.rcSipRect.bottom);
    EXPECT_TRUE(callsAre(callback.calls(), {imInfo(SIPF_DOCKED)})) << "docked, not shown";
}

// Select clears what the pen and the popup were doing when the panel was last deselected; the
// mode-key gesture, which is not pen state, carries over.
TEST_F(KeyboardWindow, SelectForgetsThePenStateOfTheLastSelection)
{
    // The popup armed for a tap (its pen-up came), then deselected without Hiding.
    downOn(ROW_ASDF, SLOT_A);
    advance(500);
    upOn(ROW_ASDF, SLOT_A);
    ASSERT_TRUE(panel.popupShown && panel.popupSelecting);
    deselect();
    select();
    EXPECT_EQ(0, panel.popupShown);
    EXPECT_EQ(nullptr, panel.pressedKey);
    EXPECT_EQ(nullptr, panel.heldKey);
    EXPECT_EQ(0u, panel.timerId);
    EXPECT_EQ(0, panel.letterVisible);
    advance(100);
    tapOn(ROW_ASDF, SLOT_D);
    expectKeys(typed('D', 'd'), "d after reselecting over an armed popup");

    // Deselected between the popup's closing tap and its pen-up.
    downOn(ROW_ASDF, SLOT_A);
    advance(500);
    upOn(ROW_ASDF, SLOT_A);
    penDown(5, OFF_ROWS_Y - 100); // outside the popup: closes it, sends nothing
    ASSERT_EQ(1, panel.ignoreNextUp);
    deselect();
    select();
    EXPECT_EQ(0, panel.ignoreNextUp);
    advance(100);
    tapOn(ROW_ASDF, SLOT_D);
    expectKeys(typed('D', 'd'), "d after reselecting over a swallowed pen-up");

    // A mode key lifted off the rows leaves its gesture open, also across a reselection.
    downOn(ROW_SPACE, 0);
    penUp(keyX(ROW_SPACE, 0), OFF_ROWS_Y);
    ASSERT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    deselect();
    select();
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(MODE_LOWER, panel.savedMode);
    tapOn(ROW_SPACE, 0);
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode) << "the open gesture ignores the numeric key's press";
    EXPECT_EQ(MODE_NONE, panel.savedMode) << "and its release ends the gesture";
}

// With no callback registered, keys go nowhere, the taps count as refused, and the keyboard works
// on as if they had been sent.
class WithoutACallback : public KeyboardWindow {
  protected:
    void SetUp() override
    {
        registerCallback = false;
        KeyboardWindow::SetUp();
    }
};

TEST_F(WithoutACallback, KeysAreNotSentAndNothingBreaks)
{
    ASSERT_EQ(nullptr, panel.hostCallback);
    EXPECT_LT(sendKeyTap(&key(ROW_YXCV, SLOT_X)), 0);

    tapOn(ROW_YXCV, SLOT_SHIFT);
    ASSERT_EQ((KeyboardMode)MODE_SHIFT, panel.mode);
    tapOn(ROW_ASDF, SLOT_D);
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode) << "a refused tap still ends the one-shot shift";
    EXPECT_TRUE(looksNormal(ROW_ASDF, SLOT_D));

    downOn(ROW_YXCV, SLOT_BACKSPACE);
    advance(1500);
    EXPECT_GT(panel.repeatCount, 1u);
    upOn(ROW_YXCV, SLOT_BACKSPACE);

    downOn(ROW_ASDF, SLOT_A);
    advance(500);
    penMove(keyX(ROW_ASDF, SLOT_A) + 30, keyY(ROW_ASDF));
    upOn(ROW_ASDF, SLOT_A);
    EXPECT_FALSE(panel.popupShown);

    MoveWindow(hostWindow, 0, 300, 480, 252, TRUE);
    EXPECT_EQ(0, SendMessageW(panel.keyboardWindow, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0));
    EXPECT_EQ(SIPF_DOCKED, panel.imInfo.fdwFlags);
    EXPECT_EQ(300, panel.hostRect.top) << "the geometry follows without a host to tell";
}

// Hiding (cancelPen) from every pen state leaves the keyboard idle: no timer, no capture, no
// letter window, the key drawn normal, a repeat ended with its key-up, and the next tap typed.
enum PenState {
    IDLE,
    PRESSED,
    HOLDING,
    REPEATING,
    OFF_THE_ROWS,
    POPUP_DRAGGING,
    POPUP_ARMED_PEN_DOWN,
    POPUP_ARMED_PEN_UP,
    SWALLOWING
};

const char *const penStateNames[] = {"Idle",          "Pressed",           "Holding",         "Repeating", "OffTheRows",
                                     "PopupDragging", "PopupArmedPenDown", "PopupArmedPenUp", "Swallowing"};

class Hiding : public KeyboardWindow, public ::testing::WithParamInterface<PenState> {
  protected:
    void reach(PenState state)
    {
        switch (state) {
        case IDLE:
            break;
        case PRESSED:
            downOn(ROW_ASDF, SLOT_D);
            break;
        case HOLDING:
            downOn(ROW_QWERTZ, SLOT_E);
            advance(200);
            break;
        case REPEATING:
            downOn(ROW_YXCV, SLOT_BACKSPACE);
            advance(600);
            break;
        case OFF_THE_ROWS:
            downOn(ROW_ASDF, SLOT_D);
            penMove(keyX(ROW_ASDF, SLOT_D), OFF_ROWS_Y);
            break;
        case POPUP_DRAGGING:
            downOn(ROW_ASDF, SLOT_A);
            advance(500);
            break;
        case POPUP_ARMED_PEN_DOWN:
            downOn(ROW_ASDF, SLOT_A);
            advance(500);
            penMove(keyX(ROW_ASDF, SLOT_A) + 30, keyY(ROW_ASDF));
            ASSERT_EQ(1, panel.popupSelecting);
            break;
        case SWALLOWING:
        case POPUP_ARMED_PEN_UP:
            downOn(ROW_ASDF, SLOT_A);
            advance(500);
            upOn(ROW_ASDF, SLOT_A);
            ASSERT_EQ(1, panel.popupSelecting);
            if (state == SWALLOWING) {
                penDown(5, OFF_ROWS_Y - 100); // outside the popup: closes it
                ASSERT_EQ(1, panel.ignoreNextUp);
            }
            break;
        }
    }
};

TEST_P(Hiding, LeavesTheKeyboardIdle)
{
    reach(GetParam());
    KeyRecord *pressed = panel.pressedKey;
    callback.clearCalls();

    EXPECT_EQ(S_OK, inputMethod->Hiding());
    if (GetParam() == REPEATING)
        expectKeys(Calls{charEvent(0x08, 0x10040, 0x08)}, "Hiding while backspace repeats");
    else
        expectKeys({}, "Hiding");
    EXPECT_EQ(0u, panel.timerId);
    EXPECT_EQ(nullptr, panel.heldKey);
    EXPECT_EQ(0, panel.popupShown);
    EXPECT_EQ(0, panel.ignoreNextUp);
    EXPECT_EQ(0, panel.letterVisible);
    EXPECT_FALSE(letterShown());
    EXPECT_FALSE(capturing());
    int row, slot;
    if (pressed) {
        EXPECT_FALSE(pressed->flags & KEY_PRESSED);
        ASSERT_TRUE(locate(pressed, &row, &slot));
        EXPECT_TRUE(looksNormal(row, slot));
    }
    advance(2000);
    expectKeys({}, "after Hiding");

    // The host hides its window, and the pen comes up where the panel no longer is.
    ShowWindow(hostWindow, SW_HIDE);
    penUp(keyX(ROW_ASDF, SLOT_D), keyY(ROW_ASDF));
    ShowWindow(hostWindow, SW_SHOWNA);
    emuPump();
    expectKeys({}, "the lost pen-up");
    tapOn(ROW_YXCV, SLOT_X);
    expectKeys(typed('X', 'x'), "the next tap");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
}

INSTANTIATE_TEST_SUITE_P(EveryPenState, Hiding,
                         ::testing::Values(IDLE, PRESSED, HOLDING, REPEATING, OFF_THE_ROWS, POPUP_DRAGGING,
                                           POPUP_ARMED_PEN_DOWN, POPUP_ARMED_PEN_UP, SWALLOWING),
                         [](const ::testing::TestParamInfo<PenState> &info) {
                             return std::string(penStateNames[info.param]);
                         });

// The tap that closed the popup loses its pen-up to Hiding: the next gesture's pen-up is not
// swallowed in its place.
TEST_F(KeyboardWindow, HidingDuringTheClosingTapOfThePopupSwallowsNoLaterLift)
{
    downOn(ROW_ASDF, SLOT_A);
    advance(500);
    upOn(ROW_ASDF, SLOT_A);
    penDown(5, OFF_ROWS_Y - 100);
    inputMethod->Hiding();
    advance(100);
    downOn(ROW_ASDF, SLOT_D);
    upOn(ROW_ASDF, SLOT_D);
    expectKeys(typed('D', 'd'), "d after Hiding cut the popup's closing tap short");
    EXPECT_FALSE(key(ROW_ASDF, SLOT_D).flags & KEY_PRESSED);
}

// With the popup of a key typed under a held mode key open, Hiding returns to the saved mode.
TEST_F(KeyboardWindow, HidingWithThePopupOpenReturnsToTheSavedMode)
{
    downOn(ROW_YXCV, SLOT_SHIFT);
    ASSERT_EQ((KeyboardMode)MODE_SHIFT, panel.mode);
    moveOnto(ROW_ASDF, SLOT_A); // "A" of the uppercase layout
    advance(500);
    ASSERT_TRUE(panel.popupShown);
    inputMethod->Hiding();
    expectKeys({}, "Hiding with the popup of A open");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    EXPECT_EQ(0, panel.modeKeyTyped);
    EXPECT_EQ(&lowerPortrait, panel.currentLayout);
    EXPECT_TRUE(looksNormal(ROW_QWERTZ, SLOT_R)) << "the lowercase face is back on screen";

    // A mode key held while the panel hides keeps its gesture open.
    downOn(ROW_SPACE, 0);
    inputMethod->Hiding();
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    EXPECT_EQ(MODE_LOWER, panel.savedMode);
}

} // namespace
