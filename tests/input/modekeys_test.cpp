// Mode keys and shift state: the shift cycle, caps lock remembered through the numeric pad and the
// symbols, holding a mode key while typing one character, and open gestures.
#include "penfixture.h"

using namespace testsupport;

namespace {

// Keys by row and slot in the portrait layouts.
struct Slot {
    int row, slot;
};
const Slot shiftKey = {2, 0};   // letter layouts
const Slot numericKey = {3, 0}; // letter layouts
const Slot symbolsKey = {3, 1}; // letter and numeric layouts
const Slot numericFromSymbols = {3, 1};
const Slot lettersKey = {3, 0}; // numeric and symbols layouts
const Slot keyA = {1, 1};
const Slot keyB = {2, 5};
const Slot keyC = {2, 3};
const Slot digit1 = {2, 1}; // numeric layout
const Slot digit5 = {1, 2};
const Slot digit6 = {1, 3};
const Slot atSign = {0, 1}; // symbols layout

// Normal faces of the portrait modes, in the day variant.
const unsigned FACE_LOWER = 0x1001, FACE_SHIFT = 0x1011, FACE_CAPS = 0x1021, FACE_NUMERIC = 0x1031,
               FACE_SYMBOLS = 0x1041;

const int OFF_ROWS_Y = -20;

// Records, with each key event, the mode and layout in force when the host received it.
struct ModeSpy : HostCallback {
    std::vector<KeyboardMode> modes;
    std::vector<const KeyboardLayout *> layouts;
    HRESULT STDMETHODCALLTYPE SendCharEvents(UINT vk, UINT flags, UINT n, UINT *shift, UINT *chars) override
    {
        modes.push_back(panel.mode);
        layouts.push_back(panel.currentLayout);
        return HostCallback::SendCharEvents(vk, flags, n, shift, chars);
    }
};

class ModeKeys : public PenTest {
  protected:
    void down(Slot s) { downOn(s.row, s.slot); }
    void move(Slot s) { moveOnto(s.row, s.slot); }
    void up(Slot s) { upOn(s.row, s.slot); }
    // A tap, then a pause long enough that a tap of the same key is no bounce.
    void tapKey(Slot s)
    {
        tapOn(s.row, s.slot);
        advance(100);
    }
    ::testing::AssertionResult showsFace(unsigned imageId) const { return keyShows(0, 1, imageId); }
};

TEST_F(ModeKeys, ShiftThenATypesOneCapitalAndFallsBackToLowercase)
{
    static const Calls shiftThenA = typedShifted('A', 'A');
    tapKey(shiftKey);
    EXPECT_EQ((KeyboardMode)MODE_SHIFT, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode) << "the release of the shift key ends its gesture";
    EXPECT_TRUE(showsFace(FACE_SHIFT));
    expectKeys({}, "shift alone sends nothing");
    tapKey(keyA);
    expectKeys(shiftThenA, "shift, a");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(&lowerPortrait, panel.currentLayout);
    EXPECT_TRUE(showsFace(FACE_LOWER));
}

// The shift table: lower to shift (capsRemembered 0), shift to caps (1), any other to lower (0).
TEST_F(ModeKeys, TheShiftKeyCyclesThroughShiftCapsAndLowercase)
{
    static const Calls capsBC = typedShifted('B', 'B') + typedShifted('C', 'C');
    tapKey(shiftKey);
    EXPECT_EQ(0, panel.capsRemembered);
    tapKey(shiftKey);
    EXPECT_EQ((KeyboardMode)MODE_CAPS, panel.mode);
    EXPECT_EQ(1, panel.capsRemembered);
    EXPECT_TRUE(showsFace(FACE_CAPS));
    tapKey(keyB);
    tapKey(keyC);
    expectKeys(capsBC, "caps lock, b, c");
    EXPECT_EQ((KeyboardMode)MODE_CAPS, panel.mode) << "caps lock outlasts a character";
    tapKey(shiftKey);
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(0, panel.capsRemembered);
    EXPECT_TRUE(showsFace(FACE_LOWER));
}

// The numeric and symbols keys leave capsRemembered alone; the letters key goes by it.
TEST_F(ModeKeys, TheLettersKeyReturnsToCapsLockOnlyAfterTheShiftKeyLockedIt)
{
    tapKey(shiftKey);
    tapKey(shiftKey);
    tapKey(numericKey);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    EXPECT_TRUE(showsFace(FACE_NUMERIC));
    tapKey(digit1);
    expectKeys(typed('1', '1'), "1 on the numeric pad");
    tapKey(lettersKey);
    EXPECT_EQ((KeyboardMode)MODE_CAPS, panel.mode) << "from caps lock through the numeric pad";

    tapKey(shiftKey); // caps to lowercase
    tapKey(shiftKey); // one-shot shift
    tapKey(numericKey);
    tapKey(lettersKey);
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode) << "from the one-shot shift through the numeric pad";

    tapKey(symbolsKey);
    EXPECT_EQ((KeyboardMode)MODE_SYMBOLS, panel.mode);
    EXPECT_TRUE(showsFace(FACE_SYMBOLS));
    tapKey(numericFromSymbols);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    tapKey(lettersKey);
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode) << "from lowercase through the symbols and the numeric pad";
    EXPECT_TRUE(showsFace(FACE_LOWER));
}

// Hold a mode key, slide onto a character, lift: the character of the held mode is sent after the
// keyboard has returned to the mode it had before, from every mode.
struct HoldAndType {
    const char *name;
    std::vector<Slot> before; // taps that set the starting mode
    KeyboardMode start;
    Slot modeKey;
    Slot target; // in the held mode's layout
    Calls sent;
    KeyboardMode modeAtSend;
    const KeyboardLayout *layoutAtSend;
    KeyboardMode after;
    unsigned faceAfter;
};

void PrintTo(const HoldAndType &c, std::ostream *out)
{
    *out << c.name;
}

class HoldAModeKeyAndType : public ModeKeys, public ::testing::WithParamInterface<HoldAndType> {};

TEST_P(HoldAModeKeyAndType, ReturnsBeforeTheCharacterGoesOut)
{
    const HoldAndType &c = GetParam();
    ModeSpy spy;
    inputMethod->RegisterCallback(&spy);
    for (const Slot &s : c.before)
        tapKey(s);
    ASSERT_EQ(c.start, panel.mode);

    down(c.modeKey);
    EXPECT_NE(c.start, panel.mode) << "the mode switches at the pen-down";
    EXPECT_EQ((LONG)c.start, panel.savedMode);
    move(c.target);
    EXPECT_EQ(1, panel.modeKeyTyped);
    EXPECT_TRUE(magnifies(c.target.row, c.target.slot));
    up(c.target);

    EXPECT_TRUE(callsAre(spy.keyCalls(), c.sent));
    ASSERT_EQ(c.sent.size(), spy.modes.size());
    for (size_t i = 0; i < spy.modes.size(); ++i) {
        EXPECT_EQ(c.modeAtSend, spy.modes[i]) << "event " << i + 1;
        EXPECT_EQ(c.layoutAtSend, spy.layouts[i]) << "event " << i + 1;
    }
    EXPECT_EQ(c.after, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    EXPECT_EQ(0, panel.modeKeyTyped);
    EXPECT_TRUE(showsFace(c.faceAfter));
    EXPECT_FALSE(letterShown());
}

INSTANTIATE_TEST_SUITE_P(FromEveryMode, HoldAModeKeyAndType,
                         ::testing::Values(HoldAndType{"NumericFromLower",
                                                       {},
                                                       MODE_LOWER,
                                                       numericKey,
                                                       digit5,
                                                       typed('5', '5'),
                                                       MODE_LOWER,
                                                       &lowerPortrait,
                                                       MODE_LOWER,
                                                       FACE_LOWER},
                                           // The one-shot shift comes back for the digit and then falls to lowercase.
                                           HoldAndType{"NumericFromShift",
                                                       {shiftKey},
                                                       MODE_SHIFT,
                                                       numericKey,
                                                       digit5,
                                                       typed('5', '5'),
                                                       MODE_SHIFT,
                                                       &upperPortrait,
                                                       MODE_LOWER,
                                                       FACE_LOWER},
                                           HoldAndType{"NumericFromCaps",
                                                       {shiftKey, shiftKey},
                                                       MODE_CAPS,
                                                       numericKey,
                                                       digit5,
                                                       typed('5', '5'),
                                                       MODE_CAPS,
                                                       &upperPortrait,
                                                       MODE_CAPS,
                                                       FACE_CAPS},
                                           HoldAndType{"SymbolsFromNumeric",
                                                       {numericKey},
                                                       MODE_NUMERIC,
                                                       symbolsKey,
                                                       atSign,
                                                       typedShifted('2', '@'),
                                                       MODE_NUMERIC,
                                                       &numericPortrait,
                                                       MODE_NUMERIC,
                                                       FACE_NUMERIC},
                                           HoldAndType{"NumericFromSymbols",
                                                       {symbolsKey},
                                                       MODE_SYMBOLS,
                                                       numericFromSymbols,
                                                       digit5,
                                                       typed('5', '5'),
                                                       MODE_SYMBOLS,
                                                       &symbolsPortrait,
                                                       MODE_SYMBOLS,
                                                       FACE_SYMBOLS},
                                           // The uppercase record is sent, from the layout of the held shift.
                                           HoldAndType{"ShiftFromLower",
                                                       {},
                                                       MODE_LOWER,
                                                       shiftKey,
                                                       keyA,
                                                       typedShifted('A', 'A'),
                                                       MODE_LOWER,
                                                       &lowerPortrait,
                                                       MODE_LOWER,
                                                       FACE_LOWER}),
                         [](const ::testing::TestParamInfo<HoldAndType> &info) {
                             return std::string(info.param.name);
                         });

// Mode key held, release of that mode key: the gesture ends and the switched mode stays.
TEST_F(ModeKeys, AModeKeyLiftedWithoutMovingKeepsItsMode)
{
    down(numericKey);
    up(numericKey);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    expectKeys({}, "numeric key tapped");
}

// Mode key held, press of another mode key: ignored, though it counts as a press; its release ends
// the gesture.
TEST_F(ModeKeys, ASecondModeKeyUnderThePenIsIgnoredUntilACharacterWasTyped)
{
    penDown(35, 220); // the numeric key; the numeric pad's letters key now lies under the pen
    EXPECT_EQ(1, panel.pressedCount);
    penMove(36, 220);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode) << "the letters key's press is ignored";
    EXPECT_EQ(MODE_LOWER, panel.savedMode);
    EXPECT_EQ(2, panel.pressedCount) << "an ignored press still counts";
    penUp(36, 220);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    EXPECT_EQ(1, panel.pressedCount);
    expectKeys({}, "numeric key with a twitch onto the letters key");
}

// Typing under a held mode: a slide onto another character stays there; a slide onto a mode key
// acts on it from the current mode and keeps the saved mode; a character released then returns to
// the mode before the first mode key.
TEST_F(ModeKeys, SlidesWhileTypingUnderAHeldMode)
{
    down(numericKey);
    move(digit5);
    move(digit6);
    EXPECT_EQ(1, panel.modeKeyTyped);
    up(digit6);
    expectKeys(typed('6', '6'), "numeric held, over 5 onto 6");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(2, panel.pressedCount) << "three presses, one release: the keys slid away from get none";
    advance(100);

    down(numericKey);
    move(digit5);
    move(symbolsKey);
    EXPECT_EQ((KeyboardMode)MODE_SYMBOLS, panel.mode);
    EXPECT_EQ(MODE_LOWER, panel.savedMode);
    EXPECT_EQ(0, panel.modeKeyTyped);
    up(symbolsKey);
    expectKeys({}, "numeric held, over 5 onto the symbols key");
    EXPECT_EQ((KeyboardMode)MODE_SYMBOLS, panel.mode) << "5 was never released";
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    advance(100);

    tapKey(lettersKey);
    down(numericKey);
    move(digit5);
    move(symbolsKey);
    move(atSign);
    up(atSign);
    expectKeys(typedShifted('2', '@'), "numeric held, over 5 and the symbols key onto @");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
}

// Holding the shift key in the one-shot shift locks caps for one letter; the lock is remembered.
TEST_F(ModeKeys, ShiftHeldInShiftModeTypesOneCapitalAndRemembersTheLock)
{
    tapKey(shiftKey);
    down(shiftKey);
    EXPECT_EQ((KeyboardMode)MODE_CAPS, panel.mode);
    EXPECT_EQ(MODE_SHIFT, panel.savedMode);
    move(keyB);
    up(keyB);
    expectKeys(typedShifted('B', 'B'), "shift, then shift held onto b");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode) << "back to the one-shot shift, which then ends";
    EXPECT_EQ(1, panel.capsRemembered);
    tapKey(numericKey);
    tapKey(lettersKey);
    EXPECT_EQ((KeyboardMode)MODE_CAPS, panel.mode);
}

// A mode key lifted off the rows brings no release: the gesture stays open into the next one.
TEST_F(ModeKeys, AModeKeyLiftedOffTheRowsLeavesItsGestureOpen)
{
    ModeSpy spy;
    inputMethod->RegisterCallback(&spy);
    down(numericKey);
    penUp(keyX(numericKey.row, numericKey.slot), OFF_ROWS_Y);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    EXPECT_EQ(MODE_LOWER, panel.savedMode);

    // The next gesture's mode key is ignored, and its release closes the gesture.
    tapKey(symbolsKey);
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);

    // Or a character comes instead, after the return to the mode before the earlier mode key.
    tapKey(symbolsKey);
    ASSERT_EQ((KeyboardMode)MODE_SYMBOLS, panel.mode);
    down(numericFromSymbols);
    penUp(keyX(numericFromSymbols.row, numericFromSymbols.slot), OFF_ROWS_Y);
    ASSERT_EQ(MODE_SYMBOLS, panel.savedMode);
    tapKey(digit5);
    EXPECT_TRUE(callsAre(spy.keyCalls(), typed('5', '5')));
    ASSERT_EQ(2u, spy.modes.size());
    EXPECT_EQ((KeyboardMode)MODE_SYMBOLS, spy.modes[0]);
    EXPECT_EQ((KeyboardMode)MODE_SYMBOLS, panel.mode);
}

// A refused tap and a bounce both end the one-shot shift; only the refusal makes the release fail.
TEST_F(ModeKeys, TheOneShotShiftEndsWhateverBecomesOfTheTap)
{
    callback.failCall(1, E_FAIL);
    tapKey(shiftKey);
    tapKey(keyA);
    expectKeys(Calls{charEvent('A', 0x20000080, 'A')}, "shift, a refused by the host");
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);

    tapKey(shiftKey);
    KeyRecord &upperA = key(keyA.row, keyA.slot);
    RECT rect = {upperA.left, 63, upperA.right, 125};
    callback.failCall(1, E_FAIL);
    pressKey(&upperA, &rect);
    EXPECT_EQ(0, releaseKey(&upperA, &rect));
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);

    // The same record again within 75 ms: dropped as a bounce, which counts as success.
    panel.mode = MODE_SHIFT;
    selectLayout();
    pressKey(&upperA, &rect);
    EXPECT_EQ(1, releaseKey(&upperA, &rect));
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    expectKeys(Calls{charEvent('A', 0x20000080, 'A')}, "refused, then bounced");
}

// The pen handling never releases a mode key with no gesture open; if it came, it would change
// nothing and send nothing.
TEST_F(ModeKeys, AModeKeyReleasedWithNoGestureOpenChangesNothing)
{
    KeyRecord &numeric = key(numericKey.row, numericKey.slot);
    RECT rect = {numeric.left, 189, numeric.right, 251};
    ASSERT_EQ(MODE_NONE, panel.savedMode);
    EXPECT_EQ(1, releaseKey(&numeric, &rect));
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    expectKeys({}, "a lone mode-key release");
}

} // namespace
