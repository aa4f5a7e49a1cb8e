// Conformance: typing through the host's pen on both deliverables, checked as the exact
// host traffic and the text that reached the application.
#include <gtest/gtest.h>

#include "../support/expectcalls.h"
#include "deliverables.h"

// Portrait key centres on the 480x640 screen with the panel docked at y 388.
static const ScreenPoint keyQ = {24, 419};
static const ScreenPoint keyA = {72, 482};
static const ScreenPoint keyH = {312, 482};
static const ScreenPoint keyL = {456, 482};
static const ScreenPoint keyO = {408, 419};
static const ScreenPoint keyTab = {24, 482};
static const ScreenPoint keyShift = {36, 545};
static const ScreenPoint keyBackspace = {444, 545};
static const ScreenPoint keyNumeric = {36, 608}; // in the numeric layout the same place goes back to letters
static const ScreenPoint keySpace = {240, 608};
static const ScreenPoint keyReturn = {432, 608};
static const ScreenPoint numeric4 = {144, 482};
static const ScreenPoint numeric2 = {240, 545};

class Typing : public DeliverableTest {
  protected:
    void tap(InputPanelHost &host, ScreenPoint p) { host.tap(p.x, p.y); }

    // Loads, activates and forgets the traffic of the start-up.
    void start(InputPanelHost &host)
    {
        load(host);
        ASSERT_EQ(S_OK, host.activate());
        host.callback().clearCalls();
    }
};

TEST_P(Typing, LettersShiftSpaceDigitsReturnAndTab)
{
    InputPanelHost host;
    start(host);
    for (ScreenPoint key : {keyShift, keyH, keyA, keyL, keyL, keyO, keySpace, keyNumeric, numeric4, numeric2,
                            keyNumeric, keyReturn, keyTab})
        tap(host, key);

    static const ExpectedCall shiftHalloSpace42ReturnTab[] = {
        {CHARS, 0x48, 0x20000080, 0x20000080, u"H"}, // the one-shot shift
        {CHARS, 0x48, 0x20010040, 0x20010040, u"H"},
        {CHARS, 0x41, 0x00000080, 0x00000080, u"a"}, // and back to lower case
        {CHARS, 0x41, 0x00010040, 0x00010040, u"a"},
        {CHARS, 0x4C, 0x00000080, 0x00000080, u"l"},
        {CHARS, 0x4C, 0x00010040, 0x00010040, u"l"},
        {CHARS, 0x4C, 0x00000080, 0x00000080, u"l"}, // the same key again, well outside the bounce window
        {CHARS, 0x4C, 0x00010040, 0x00010040, u"l"},
        {CHARS, 0x4F, 0x00000080, 0x00000080, u"o"},
        {CHARS, 0x4F, 0x00010040, 0x00010040, u"o"},
        {CHARS, 0x20, 0x00010040, 0x00010040, u" "}, // a repeat key ends its (unstarted) repeat first
        {CHARS, 0x20, 0x00000080, 0x00000080, u" "},
        {CHARS, 0x20, 0x00010040, 0x00010040, u" "},
        {CHARS, 0x34, 0x00000080, 0x00000080, u"4"},
        {CHARS, 0x34, 0x00010040, 0x00010040, u"4"},
        {CHARS, 0x32, 0x00000080, 0x00000080, u"2"},
        {CHARS, 0x32, 0x00010040, 0x00010040, u"2"},
        {CHARS, 0x0D, 0x00000080, 0x00000080, u"\r"},
        {CHARS, 0x0D, 0x00010040, 0x00010040, u"\r"},
        {VKEY, 0x09, 0x4, 0, u""},
        {VKEY, 0x09, 0x6, 0, u""},
    };
    EXPECT_TRUE(callsAre(host.calls(), shiftHalloSpace42ReturnTab));
    EXPECT_EQ("Hallo 42\n\t", host.text());
}

TEST_P(Typing, HeldBackspaceRepeatsAfterTheHoldThenTheInitialDelay)
{
    InputPanelHost host;
    start(host);
    host.field().setText(u"one two three");
    // Repeats at 500 ms (the hold), 1012 ms (the default initial delay of 512) and 1067 ms (1000 / 18).
    host.hold(keyBackspace.x, keyBackspace.y, 1100);

    static const ExpectedCall backspaceHeld1100[] = {
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"}, {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"}, {CHARS, 0x08, 0x00010040, 0x00010040, u"\b"},
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"}, {CHARS, 0x08, 0x00010040, 0x00010040, u"\b"},
    };
    EXPECT_TRUE(callsAre(host.calls(), backspaceHeld1100));
    EXPECT_EQ("one two t", host.text()) << "three repeats and the release's own tap";
}

// A host that deselects while a key repeats, without hiding first, still hears the key go up, and
// nothing after.
TEST_P(Typing, DeselectWhileAKeyRepeatsEndsItWithItsKeyUp)
{
    InputPanelHost host;
    start(host);
    host.field().setText(u"one two");
    host.penDown(keyBackspace.x, keyBackspace.y);
    host.advance(600); // the hold's first repeat at 500 ms
    ASSERT_EQ(S_OK, host.deselect());
    host.advance(600);
    host.penUp(keyBackspace.x, keyBackspace.y);

    static const ExpectedCall repeatThenDeselect[] = {
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 0x08, 0x00010040, 0x00010040, u"\b"},
    };
    EXPECT_TRUE(callsAre(host.calls(), repeatThenDeselect));
    EXPECT_EQ("one tw", host.text());
}

TEST_P(Typing, AHeldModeKeyTypesOneCharacterInItsModeAndReturns)
{
    InputPanelHost host;
    start(host);
    host.drag({{keyNumeric.x, keyNumeric.y}, {numeric4.x, numeric4.y}});
    tap(host, keyQ);

    static const ExpectedCall numericHeldThen4ThenQ[] = {
        {CHARS, 0x34, 0x00000080, 0x00000080, u"4"},
        {CHARS, 0x34, 0x00010040, 0x00010040, u"4"},
        {CHARS, 0x51, 0x00000080, 0x00000080, u"q"},
        {CHARS, 0x51, 0x00010040, 0x00010040, u"q"},
    };
    EXPECT_TRUE(callsAre(host.calls(), numericHeldThen4ThenQ));
    EXPECT_EQ("4q", host.text());
}

// The device's own way in: the variant's CAB installed on a fresh device (the resource module comes
// with it), the panel found by its class identifier through the registry as the device's host finds
// it, and a session typed. Where the tests run the device's DLLs, the CABs are those built with them.
using InstalledFromCab = Typing;

TEST_P(InstalledFromCab, TheHostFindsThePanelByItsClassAndItTypesExactly)
{
    if (!*GetParam().cab)
        GTEST_SKIP() << "no CAB of the device's DLLs in this build";
    emuReset();
    char problem[256] = "";
    ASSERT_EQ(1, emuInstallCab(GetParam().cab, problem, sizeof problem)) << problem;
    InputPanelHost host;
    ASSERT_EQ(S_OK, host.loadClass(GetParam().clsid())) << host.error();
    ASSERT_EQ(S_OK, host.activate());
    for (ScreenPoint key : {keyShift, keyH, keyA, keyL, keyL, keyO, keySpace, keyNumeric, numeric4, numeric2})
        tap(host, key);
    EXPECT_EQ("Hallo 42", host.text());
}

INSTANTIATE_TEST_SUITE_P(Deliverables, InstalledFromCab, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(Deliverables, Typing, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
