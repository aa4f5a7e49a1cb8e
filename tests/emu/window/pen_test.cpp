// Pen input and capture: routing to the window under the pen or the capturing one, client coordinates.
#include "wmtest.h"

namespace {

using PenTest = WindowManagerTest;

// A pen message row: the buttons in wParam, the client point in lParam.
ExpectedMessage pen(HWND hwnd, UINT msg, WPARAM keys, int x, int y)
{
    return to(hwnd, msg).wparam(keys).lparam(MAKELPARAM(x, y));
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
    // The hover, last, carries no button.
    const Messages downMoveUpHover = {
        pen(keyboard, WM_LBUTTONDOWN, MK_LBUTTON, 10, 12),
        pen(letter, WM_MOUSEMOVE, MK_LBUTTON, 20, 50),
        pen(keyboard, WM_LBUTTONUP, 0, 300, 251),
        pen(letter, WM_MOUSEMOVE, 0, 30, 10),
    };
    expectMessages(downMoveUpHover);
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
    // Even over another window and off the screen.
    const Messages capturedDownMoveUp = {
        pen(keyboard, WM_LBUTTONDOWN, MK_LBUTTON, 5, -378),
        pen(keyboard, WM_MOUSEMOVE, MK_LBUTTON, -20, -8),
        pen(keyboard, WM_LBUTTONUP, 0, 479, 312),
    };
    expectMessages(capturedDownMoveUp);
    (void)other;
}

TEST_F(PenTest, CaptureChangesAreAnnounced)
{
    HWND a = topLevel(0, 0, 10, 10);
    HWND b = topLevel(20, 0, 10, 10);
    SetCapture(a);
    seen.clear();
    EXPECT_EQ(a, SetCapture(b));
    const Messages takenOver = {to(a, WM_CAPTURECHANGED).wparam(0).lparam(reinterpret_cast<LPARAM>(b))};
    expectMessages(takenOver);
    EXPECT_EQ(b, SetCapture(b));
    expectMessages({}); // taking it again changes nothing
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(nullptr, GetCapture());
    const Messages released = {to(b, WM_CAPTURECHANGED).wparam(0).lparam(0)};
    expectMessages(released);
}

TEST_F(PenTest, ReleaseWithoutCaptureSucceeds)
{
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_TRUE(ReleaseCapture());
    expectMessages({});
}

TEST_F(PenTest, HiddenCapturingWindowStillGetsThePen)
{
    HWND w = topLevel(100, 100, 10, 10, 0, 0);
    SetCapture(w);
    seen.clear();
    emuPenDown(100, 100);
    const Messages downToTheHiddenCapture = {pen(w, WM_LBUTTONDOWN, MK_LBUTTON, 0, 0)};
    expectMessages(downToTheHiddenCapture);
}

TEST_F(PenTest, PenOverTheDesktopOrADisabledWindowGoesNowhere)
{
    HWND disabled = topLevel(0, 0, 10, 10, 0, WS_VISIBLE | WS_DISABLED);
    seen.clear();
    emuPenDown(5, 5);
    emuPenDown(200, 200);
    emuPenDown(-1, 5);
    // The pen's pump paints the new window, and that is all it hears.
    const Messages paintedOnly = {to(disabled, WM_ERASEBKGND), to(disabled, WM_PAINT).paints({0, 0, 10, 10}, true)};
    expectMessages(paintedOnly);
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
    // Each pen-down pumps: the messages of hiding, showing and moving come out in between.
    const Messages hiddenShownMoved = {
        pen(above, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10),
        to(above, WM_SHOWWINDOW).wparam(FALSE),
        pen(below, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10),
        to(below, WM_ERASEBKGND),
        to(below, WM_PAINT).paints({0, 0, 50, 50}, true),
        to(above, WM_SHOWWINDOW).wparam(TRUE),
        to(above, WM_MOVE).lparam(MAKELPARAM(60, 60)),
        pen(below, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10),
        to(above, WM_ERASEBKGND),
        to(above, WM_PAINT).paints({0, 0, 50, 50}, true),
        to(below, WM_ERASEBKGND),
        to(below, WM_PAINT).paints({0, 0, 50, 50}, true),
        pen(above, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10),
    };
    expectMessages(hiddenShownMoved);
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
    expectMessages({});
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
