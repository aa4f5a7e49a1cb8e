// Conformance: ReceiveSipInfo on both deliverables, seen in the platform's window rectangles: the
// host's window moves only when it is not already placed, and then keeps its bottom edge.
#include <gtest/gtest.h>

#include "deliverables.h"
#include "../support/rects.h"

static std::string windowRectText(HWND hwnd)
{
    RECT r = {-1, -1, -1, -1};
    GetWindowRect(hwnd, &r);
    return rectText(r);
}

static const ScreenPoint portraitQ = {24, 419};

using SipInfo = DeliverableTest;

TEST_P(SipInfo, AHostWindowAlreadyPlacedStaysWhereItIsAndTheKeyboardTakesTheNewSize)
{
    InputPanelHost host;
    load(host);
    int mark = emuMark();
    ASSERT_EQ(S_OK, host.activate());
    HWND keyboard = keyboardWindowUnder(host, portraitQ);
    ASSERT_NE(nullptr, keyboard);

    // The host places its window itself, at x 0, 480 wide and 200 high but not at the bottom.
    MoveWindow(host.window(), 0, 300, 480, 200, FALSE);
    int movesBefore = emuCallCount("MoveWindow");
    ASSERT_EQ(S_OK, host.receiveSipInfo(RECT{0, 440, 480, 640}));
    EXPECT_EQ("{0, 300, 480, 500}", windowRectText(host.window())) << "placed: not moved to the granted top";
    EXPECT_EQ("{0, 300, 480, 500}", windowRectText(keyboard)) << "the keyboard window fills the host's";
    EXPECT_EQ(1, emuCallCount("MoveWindow") - movesBefore) << "the keyboard window alone is moved";

    IMINFO info;
    ASSERT_EQ(S_OK, host.getInfo(&info));
    EXPECT_EQ("{0, 388, 480, 640}", rectText(info.rcSipRect)) << "the panel's own rectangle is unchanged";

    // The pen finds the keys where the window is now.
    host.tap(portraitQ.x, 300 + 31);
    EXPECT_EQ("q", host.text());
    expectDeactivatedLeavingNothing(host, mark, "after the host window was placed");
}

TEST_P(SipInfo, AnotherSizeOrPlaceMovesTheHostWindowToXZeroKeepingItsBottomEdge)
{
    InputPanelHost host;
    load(host);
    int mark = emuMark();
    ASSERT_EQ(S_OK, host.activate());
    HWND keyboard = keyboardWindowUnder(host, portraitQ);
    ASSERT_NE(nullptr, keyboard);

    // Taller: grows upwards from the screen's bottom edge, whatever top the rectangle names.
    ASSERT_EQ(S_OK, host.receiveSipInfo(RECT{0, 0, 480, 300}));
    EXPECT_EQ("{0, 340, 480, 640}", windowRectText(host.window()));
    EXPECT_EQ("{0, 340, 480, 640}", windowRectText(keyboard));

    // Off to the side and narrower, higher up: back to x 0 at the granted size, bottom edge kept.
    MoveWindow(host.window(), 20, 100, 400, 252, FALSE);
    ASSERT_EQ(S_OK, host.receiveSipInfo(RECT{0, 388, 480, 640}));
    EXPECT_EQ("{0, 100, 480, 352}", windowRectText(host.window()));
    EXPECT_EQ("{0, 100, 480, 352}", windowRectText(keyboard));

    // Lower: shrinks downwards onto the same bottom edge.
    ASSERT_EQ(S_OK, host.receiveSipInfo(RECT{0, 440, 480, 640}));
    EXPECT_EQ("{0, 152, 480, 352}", windowRectText(host.window()));
    EXPECT_EQ("{0, 152, 480, 352}", windowRectText(keyboard));

    host.tap(portraitQ.x, 152 + 31);
    EXPECT_EQ("q", host.text()) << "the keys follow the window";
    expectDeactivatedLeavingNothing(host, mark, "after the host window was moved");
}

INSTANTIATE_TEST_SUITE_P(Deliverables, SipInfo, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
