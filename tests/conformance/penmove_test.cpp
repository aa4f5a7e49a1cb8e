// Conformance: a pen move that stays on the pressed key costs a hit test and nothing else on both
// deliverables: no drawing, no invalidation, no timer call, and held keys keep their timing; a
// pointer passing with its button up is no pen at all.
#include <gtest/gtest.h>

#include "../support/expectcalls.h"
#include "deliverables.h"

// The platform calls a move could make if it did more than find the key under the pen.
static const char *const drawingAndTimerCalls[] = {"BitBlt",     "StretchBlt",    "GetDC",    "InvalidateRect",
                                                   "ShowWindow", "MoveWindow",    "SetTimer", "KillTimer",
                                                   "SetCapture", "ReleaseCapture"};

struct PlatformWork {
    std::vector<int> calls;
    long long pixels;
};

static PlatformWork platformWork()
{
    PlatformWork work;
    for (const char *function : drawingAndTimerCalls)
        work.calls.push_back(emuCallCount(function));
    work.pixels = emuPixelsCopied(EMU_BITBLT) + emuPixelsCopied(EMU_STRETCHBLT);
    return work;
}

static ::testing::AssertionResult noWorkSince(const PlatformWork &before)
{
    PlatformWork now = platformWork();
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    bool same = now.pixels == before.pixels;
    for (size_t i = 0; i < now.calls.size(); ++i)
        same = same && now.calls[i] == before.calls[i];
    if (same)
        return result;
    result = ::testing::AssertionFailure();
    for (size_t i = 0; i < now.calls.size(); ++i) {
        if (now.calls[i] != before.calls[i])
            result << drawingAndTimerCalls[i] << " called " << now.calls[i] - before.calls[i] << " times; ";
    }
    return result << now.pixels - before.pixels << " pixels copied";
}

class PenMove : public DeliverableTest {
  protected:
    // Activated, with the first paint done and the start-up's traffic forgotten.
    void start(InputPanelHost &host)
    {
        load(host);
        mark = emuMark();
        ASSERT_EQ(S_OK, host.activate());
        host.pump();
        host.callback().clearCalls();
    }

    int mark = 0;
};

TEST_P(PenMove, MovesWithinACharacterKeyDoNoWorkAndTheLiftStillSendsIt)
{
    InputPanelHost host;
    start(host);
    host.penDown(264, 482); // g: x 240 to 287, y 451 to 513 on the screen
    PlatformWork before = platformWork();
    static const POINT withinG[] = {{240, 451}, {287, 513}, {241, 500}, {286, 452}, {264, 482}};
    for (POINT p : withinG) {
        host.penMove(p.x, p.y);
        EXPECT_TRUE(noWorkSince(before)) << "move to (" << p.x << ", " << p.y << ")";
    }
    host.penUp(264, 482);
    static const ExpectedCall gOnce[] = {
        {CHARS, 0x47, 0x00000080, 0x00000080, u"g"},
        {CHARS, 0x47, 0x00010040, 0x00010040, u"g"},
    };
    EXPECT_TRUE(callsAre(host.calls(), gOnce));
    expectDeactivatedLeavingNothing(host, mark, "after the moves");
}

TEST_P(PenMove, MovesWithinAHeldKeyLeaveItsHoldAndRepeatTimingAlone)
{
    InputPanelHost host;
    start(host);

    // o (x 384 to 431, y 388 to 450) has alternatives: its popup opens 500 ms after the pen went
    // down, not 500 ms after a move, so a lift at 500 ms finds the popup and sends nothing.
    host.penDown(408, 419);
    host.advance(300);
    PlatformWork before = platformWork();
    host.penMove(384, 388);
    host.penMove(431, 450);
    EXPECT_TRUE(noWorkSince(before));
    host.advance(200);
    host.penUp(431, 450);
    EXPECT_TRUE(host.calls().empty()) << "the popup opened on time and waits for a tap";
    host.tap(470, 100); // outside the popup: closes it without sending
    EXPECT_TRUE(host.calls().empty());

    // Backspace (x 408 to 479, y 514 to 576) repeating: moves on it change nothing; the repeats
    // come at 500, 1012 and 1067 ms after the pen went down.
    host.field().setText(u"abcdef");
    host.penDown(444, 545);
    host.advance(600);
    before = platformWork();
    host.penMove(408, 514);
    host.penMove(479, 576);
    EXPECT_TRUE(noWorkSince(before));
    host.advance(500);
    host.penUp(479, 576);
    static const ExpectedCall backspaceHeld1100[] = {
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"}, {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"},
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"}, {CHARS, 0x08, 0x00010040, 0x00010040, u"\b"},
        {CHARS, 0x08, 0x00000080, 0x00000080, u"\b"}, {CHARS, 0x08, 0x00010040, 0x00010040, u"\b"},
    };
    EXPECT_TRUE(callsAre(host.calls(), backspaceHeld1100));
    EXPECT_EQ("ab", host.text());
    expectDeactivatedLeavingNothing(host, mark, "after the held keys");
}

// A mouse moves with its button up on its way to every click and again after it, when a window
// under it appears or goes; that is the order Wine delivers a real pointer's clicks in.
static void clickAsAMouseDoes(InputPanelHost &host, int x, int y)
{
    host.hover(x, y);
    host.penDown(x, y);
    host.advance(30);
    host.penUp(x, y);
    host.hover(x, y);
    host.advance(100);
}

TEST_P(PenMove, APointerPassingWithItsButtonUpIsNoPen)
{
    InputPanelHost host;
    start(host);

    // Over the shift key, and resting on o (which has alternatives) for longer than a hold: no
    // mode switch, no magnifier, no popup, no timer.
    PlatformWork before = platformWork();
    host.hover(36, 545);
    host.hover(408, 419);
    host.advance(600);
    EXPECT_TRUE(noWorkSince(before)) << "hovering over the keys";
    EXPECT_TRUE(host.calls().empty());

    // Clicks with the moves around them type as taps do: q, then a one-shot shift and A.
    clickAsAMouseDoes(host, 24, 419);
    clickAsAMouseDoes(host, 36, 545);
    clickAsAMouseDoes(host, 72, 482);
    static const ExpectedCall qShiftA[] = {
        {CHARS, 0x51, 0x00000080, 0x00000080, u"q"},
        {CHARS, 0x51, 0x00010040, 0x00010040, u"q"},
        {CHARS, 0x41, 0x20000080, 0x20000080, u"A"},
        {CHARS, 0x41, 0x20010040, 0x20010040, u"A"},
    };
    EXPECT_TRUE(callsAre(host.calls(), qShiftA));

    // s held and lifted leaves its popup waiting; the pointer crossing it to the cell of ß moves
    // no highlight, and the click there picks ß.
    host.callback().clearCalls();
    host.hover(120, 482);
    host.hold(120, 482, 600);
    before = platformWork();
    host.hover(120, 400);
    host.hover(200, 400);
    host.hover(264, 400);
    EXPECT_TRUE(noWorkSince(before)) << "crossing the waiting popup";
    clickAsAMouseDoes(host, 264, 400);
    static const ExpectedCall sHeldThenSharpSClicked[] = {
        {CHARS, 0, 0x00000080, 0x00000080, u"ß"},
        {CHARS, 0, 0x00010040, 0x00010040, u"ß"},
    };
    EXPECT_TRUE(callsAre(host.calls(), sHeldThenSharpSClicked));
    EXPECT_EQ("qAß", host.text());
    expectDeactivatedLeavingNothing(host, mark, "after the pointer");
}

INSTANTIATE_TEST_SUITE_P(Deliverables, PenMove, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
