// Conformance: one whole typing session through the host's pen on both deliverables, every kind of
// gesture in turn, ending in the exact text the application holds.
#include <cstring>
#include <memory>

#include <gtest/gtest.h>

#include "../support/expectcalls.h"
#include "deliverables.h"

// Portrait keys with the panel docked at y 388 (row centres 419, 482, 545, 608).
static const ScreenPoint keyShift = {36, 545};
static const ScreenPoint keyBackspace = {444, 545};
static const ScreenPoint keySpace = {240, 608};
static const ScreenPoint lettersToNumeric = {36, 608};
static const ScreenPoint lettersToSymbols = {108, 608};
static const ScreenPoint numeric4 = {144, 482};
static const ScreenPoint numeric2 = {240, 545};
static const ScreenPoint numericToSymbols = {144, 608};
static const ScreenPoint symbolsToLetters = {48, 608};
static const ScreenPoint symbolColon = {312, 545};
static const ScreenPoint symbolDollar = {168, 419};

// Where a letter lies on either letter layout: both have the same keys in the same places.
static ScreenPoint letterKey(char letter)
{
    static const char *const rows[] = {"qwertzuiop", "asdfghjkl", "yxcvbnm"};
    static const int firstCentreX[] = {24, 72, 96}; // rows 1 and 2 begin with tab and shift
    for (int row = 0; row < 3; ++row) {
        const char *at = strchr(rows[row], letter);
        if (at)
            return {firstCentreX[row] + 48 * static_cast<int>(at - rows[row]), 419 + 63 * row};
    }
    ADD_FAILURE() << "no letter key for '" << letter << "'";
    return {0, 0};
}

class Session : public DeliverableTest {
  protected:
    void SetUp() override
    {
        DeliverableTest::SetUp();
        // Made on the fresh platform: the host's windows are platform objects too.
        host.reset(new InputPanelHost());
    }
    void TearDown() override
    {
        host.reset();
        DeliverableTest::TearDown();
    }

    void tap(ScreenPoint p) { host->tap(p.x, p.y); }
    // Lower-case letters and spaces.
    void type(const char *text)
    {
        for (const char *c = text; *c; ++c)
            tap(*c == ' ' ? keySpace : letterKey(*c));
    }
    void forgetCalls() { host->callback().clearCalls(); }

    std::unique_ptr<InputPanelHost> host;
};

TEST_P(Session, EveryGestureInTurnEndsInTheExpectedText)
{
    load(*host);
    int mark = emuMark();
    ASSERT_EQ(S_OK, host->activate());

    // A one-shot shift, then lower case again.
    tap(keyShift);
    type("gr");
    EXPECT_EQ("Gr", host->text());

    // u held past 500 ms opens its popup (ū ú ù ü û u over 38..346 at y 300..383, the key's own u
    // highlighted); the drag to the fourth cell and the lift pick ü.
    forgetCalls();
    ScreenPoint u = letterKey('u');
    host->penDown(u.x, u.y);
    host->advance(600);
    EXPECT_TRUE(host->calls().empty()) << "a held letter sends nothing";
    host->penMove(216, 340);
    host->advance(20);
    host->penUp(216, 340);
    static const ExpectedCall uHeldDraggedToUmlaut[] = {
        {CHARS, 0, 0x00000080, 0x00000080, u"ü"},
        {CHARS, 0, 0x00010040, 0x00010040, u"ü"},
    };
    EXPECT_TRUE(callsAre(host->calls(), uHeldDraggedToUmlaut));

    // s held and lifted without moving leaves its popup (s š ś ß over 86..298 at y 363..446)
    // waiting; a tap on the fourth cell picks ß, and that tap's lift types nothing more.
    forgetCalls();
    ScreenPoint s = letterKey('s');
    host->hold(s.x, s.y, 600);
    EXPECT_TRUE(host->calls().empty()) << "the popup waits for a tap";
    host->tap(264, 400);
    static const ExpectedCall sHeldThenSharpSTapped[] = {
        {CHARS, 0, 0x00000080, 0x00000080, u"ß"},
        {CHARS, 0, 0x00010040, 0x00010040, u"ß"},
    };
    EXPECT_TRUE(callsAre(host->calls(), sHeldThenSharpSTapped));
    type("e ");
    EXPECT_EQ("Grüße ", host->text());

    // Caps lock: every letter upper case until the shift key is pressed a third time.
    tap(keyShift);
    tap(keyShift);
    forgetCalls();
    type("karl");
    for (const HostCall &call : host->calls())
        EXPECT_EQ(0x20000000u, call.flags & 0x20000000u) << "typed in caps lock: " << describeHostCall(call);
    tap(keyShift);

    // Hold and type: down on the symbols key, slide to the colon, lift; back in lower case after.
    forgetCalls();
    host->drag({{lettersToSymbols.x, lettersToSymbols.y}, {symbolColon.x, symbolColon.y}});
    static const ExpectedCall symbolsHeldThenColon[] = {
        {CHARS, 0xBA, 0x20000080, 0x20000080, u":"},
        {CHARS, 0xBA, 0x20010040, 0x20010040, u":"},
    };
    EXPECT_TRUE(callsAre(host->calls(), symbolsHeldThenColon));
    tap(keySpace);
    EXPECT_EQ("Grüße KARL: ", host->text());

    // Digits, then the symbols from the numeric pad: $ held opens $ ¢ £ ¥ € over 134..394 at y
    // 300..383, and a drag to the last cell picks the euro sign.
    tap(lettersToNumeric);
    tap(numeric4);
    tap(numeric2);
    tap(numericToSymbols);
    forgetCalls();
    host->penDown(symbolDollar.x, symbolDollar.y);
    host->advance(600);
    host->penMove(360, 340);
    host->advance(20);
    host->penUp(360, 340);
    static const ExpectedCall dollarHeldDraggedToEuro[] = {
        {CHARS, 0, 0x00000080, 0x00000080, u"€"},
        {CHARS, 0, 0x00010040, 0x00010040, u"€"},
    };
    EXPECT_TRUE(callsAre(host->calls(), dollarHeldDraggedToEuro));
    tap(symbolsToLetters);
    type(" und noch viele worte mehr");
    EXPECT_EQ("Grüße KARL: 42€ und noch viele worte mehr", host->text());

    // Backspace held 2140 ms: repeats at 500, 1012 and every 55 ms after, 22 in all. The first 20
    // delete one character each, back to "und n"; the 21st and 22nd carry the control bit and
    // delete the words "n" and " und"; the release's own tap deletes the last blank.
    forgetCalls();
    host->hold(keyBackspace.x, keyBackspace.y, 2140);
    static const ExpectedCall backspaceHeld22[] = {
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, // 10
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, {CHARS, 8, 0x00000080, 0x00000080, u"\b"}, // 20
        {CHARS, 8, 0x40000080, 0x40000080, u"\b"}, {CHARS, 8, 0x40000080, 0x40000080, u"\b"}, // words
        {CHARS, 8, 0x00010040, 0x00010040, u"\b"},                                            // the repeat ends
        {CHARS, 8, 0x00000080, 0x00000080, u"\b"},                                            // the release's tap
        {CHARS, 8, 0x00010040, 0x00010040, u"\b"},
    };
    EXPECT_TRUE(callsAre(host->calls(), backspaceHeld22));
    EXPECT_EQ("Grüße KARL: 42€", host->text());

    expectDeactivatedLeavingNothing(*host, mark, "after the session");
}

INSTANTIATE_TEST_SUITE_P(Deliverables, Session, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
