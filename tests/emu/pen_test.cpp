// Pen input and capture: routing to the window under the pen or the capturing one, client coordinates.
#include "wmtest.h"

namespace {

using PenTest = WindowManagerTest;

struct PenEvent {
    HWND hwnd;
    UINT msg;
    WPARAM keys;
    int x, y; // sign-extended from lParam, as a window procedure reads them
    bool operator==(const PenEvent &o) const
    {
        return hwnd == o.hwnd && msg == o.msg && keys == o.keys && x == o.x && y == o.y;
    }
};

std::ostream &operator<<(std::ostream &out, const PenEvent &e)
{
    return out << "{" << e.hwnd << ", 0x" << std::hex << e.msg << std::dec << ", " << e.keys << ", " << e.x << ", "
               << e.y << "}";
}

std::vector<PenEvent> penEvents()
{
    std::vector<PenEvent> out;
    for (const Seen &s : seen)
        if (s.msg == WM_LBUTTONDOWN || s.msg == WM_MOUSEMOVE || s.msg == WM_LBUTTONUP)
            out.push_back(PenEvent{s.hwnd, s.msg, s.wParam, (short)LOWORD(s.lParam), (short)HIWORD(s.lParam)});
    return out;
}

TEST_F(PenTest, PenGoesToTheTopmostWindowUnderItInClientCoordinates)
{
    HWND host = topLevel(0, 388, 480, 252);
    HWND keyboard = child(host, 0, 0, 480, 252);
    HWND letter = topLevel(100, 350, 58, 77);
    emuPump();
    seen.clear();
    emuPenDown(10, 400);
    emuPenMove(120, 400);
    emuPenUp(300, 639);
    emuHover(130, 360);
    const std::vector<PenEvent> expected = {
        {keyboard, WM_LBUTTONDOWN, MK_LBUTTON, 10, 12},
        {letter, WM_MOUSEMOVE, MK_LBUTTON, 20, 50},
        {keyboard, WM_LBUTTONUP, 0, 300, 251},
        {letter, WM_MOUSEMOVE, 0, 30, 10}, // a hover carries no button
    };
    EXPECT_EQ(expected, penEvents());
}

TEST_F(PenTest, CaptureTakesEveryPenEventNegativeCoordinatesIncluded)
{
    HWND host = topLevel(0, 388, 480, 252);
    HWND keyboard = child(host, 0, 0, 480, 252);
    HWND other = topLevel(0, 0, 480, 100);
    emuPump();
    EXPECT_EQ(nullptr, SetCapture(keyboard));
    EXPECT_EQ(keyboard, GetCapture());
    seen.clear();
    emuPenDown(5, 10);
    emuPenMove(-20, 380);
    emuPenUp(479, 700);
    const std::vector<PenEvent> expected = {
        {keyboard, WM_LBUTTONDOWN, MK_LBUTTON, 5, -378},
        {keyboard, WM_MOUSEMOVE, MK_LBUTTON, -20, -8},
        {keyboard, WM_LBUTTONUP, 0, 479, 312},
    };
    EXPECT_EQ(expected, penEvents()) << "even over another window and off the screen";
    (void)other;
}

TEST_F(PenTest, CaptureChangesAreAnnounced)
{
    HWND a = topLevel(0, 0, 10, 10);
    HWND b = topLevel(20, 0, 10, 10);
    SetCapture(a);
    seen.clear();
    EXPECT_EQ(a, SetCapture(b));
    ASSERT_EQ(1u, received(WM_CAPTURECHANGED).size());
    EXPECT_EQ(a, received(WM_CAPTURECHANGED)[0].hwnd);
    EXPECT_EQ(reinterpret_cast<LPARAM>(b), received(WM_CAPTURECHANGED)[0].lParam);
    EXPECT_EQ(b, SetCapture(b));
    EXPECT_EQ(1u, received(WM_CAPTURECHANGED).size()) << "taking it again changes nothing";
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(nullptr, GetCapture());
    ASSERT_EQ(2u, received(WM_CAPTURECHANGED).size());
    EXPECT_EQ(b, received(WM_CAPTURECHANGED)[1].hwnd);
    EXPECT_EQ(0, received(WM_CAPTURECHANGED)[1].lParam);
}

TEST_F(PenTest, ReleaseWithoutCaptureSucceeds)
{
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_TRUE(seen.empty());
}

TEST_F(PenTest, HiddenCapturingWindowStillGetsThePen)
{
    HWND w = topLevel(100, 100, 10, 10, 0, 0);
    SetCapture(w);
    seen.clear();
    emuPenDown(100, 100);
    ASSERT_EQ(1u, penEvents().size());
    EXPECT_EQ(w, penEvents()[0].hwnd);
}

TEST_F(PenTest, PenOverTheDesktopOrADisabledWindowGoesNowhere)
{
    topLevel(0, 0, 10, 10, 0, WS_VISIBLE | WS_DISABLED);
    seen.clear();
    emuPenDown(5, 5);
    emuPenDown(200, 200);
    emuPenDown(-1, 5);
    EXPECT_TRUE(penEvents().empty());
}

TEST_F(PenTest, HiddenAndMovedWindowsNoLongerAnswer)
{
    HWND below = topLevel(0, 0, 100, 100);
    HWND above = topLevel(0, 0, 50, 50);
    emuPump();
    seen.clear();
    emuPenDown(10, 10);
    ShowWindow(above, SW_HIDE);
    emuPenDown(10, 10);
    ShowWindow(above, SW_SHOWNOACTIVATE);
    MoveWindow(above, 60, 60, 50, 50, FALSE);
    emuPenDown(10, 10);
    emuPenDown(70, 70);
    std::vector<HWND> targets;
    for (const PenEvent &e : penEvents())
        targets.push_back(e.hwnd);
    EXPECT_EQ((std::vector<HWND>{above, below, below, above}), targets);
}

TEST_F(PenTest, CaptureOfADestroyedWindowIsGone)
{
    HWND w = topLevel(0, 0, 10, 10);
    SetCapture(w);
    DestroyWindow(w);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(1u, takeViolations().size()) << "the window should have let the capture go itself";
    seen.clear();
    emuPenDown(5, 5);
    EXPECT_TRUE(penEvents().empty());
}

TEST_F(PenTest, FailedSetCaptureTakesNothing)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuFailCall("SetCapture", 1);
    EXPECT_EQ(nullptr, SetCapture(w));
    EXPECT_EQ(nullptr, GetCapture());
    emuFailCall("ReleaseCapture", 1);
    SetCapture(w);
    EXPECT_FALSE(ReleaseCapture());
    EXPECT_EQ(w, GetCapture());
}

} // namespace
