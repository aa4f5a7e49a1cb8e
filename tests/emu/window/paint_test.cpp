// Update regions and painting: uncovering, window DC clipping, BeginPaint's rectangle and clip.
#include "wmtest.h"

namespace {

const DWORD red = 0xFF0000;
const DWORD green = 0x00FF00;
const DWORD blue = 0x0000FF;
// Exact on the 16-bit display, like every colour here.
const DWORD desktop = 0x103452;

class PaintTest : public WindowManagerTest {
  protected:
    void SetUp() override
    {
        WindowManagerTest::SetUp();
        emuSetDesktopColour(desktop);
    }

    // Draws one colour over the whole client area through the window's own DC.
    static void drawThroughGetDc(HWND hwnd, DWORD rgb)
    {
        RECT r;
        GetClientRect(hwnd, &r);
        HDC dc = GetDC(hwnd);
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                SetPixel(dc, x, y, RGB(rgb >> 16, rgb >> 8, rgb));
        ReleaseDC(hwnd, dc);
    }
};

TEST_F(PaintTest, HidingAWindowRepaintsOnlyWhatItUncovers)
{
    HWND below = topLevel(0, 0, 100, 100, red);
    HWND above = topLevel(50, 50, 100, 100, green);
    emuPump();
    EXPECT_EQ(green, emuScreenPixel(60, 60));
    EXPECT_EQ(red, emuScreenPixel(40, 40));
    seen.clear();

    ShowWindow(above, SW_HIDE);
    const Messages hideAbove = {to(above, WM_SHOWWINDOW).wparam(FALSE).lparam(0)};
    expectMessages(hideAbove);
    EXPECT_EQ(desktop, emuScreenPixel(120, 120)) << "the desktop is repainted at once";
    EXPECT_EQ(green, emuScreenPixel(60, 60)) << "the window below has not painted yet";
    EXPECT_EQ(1, emuPump());
    const Messages uncovered = {to(below, WM_ERASEBKGND), to(below, WM_PAINT).paints({50, 50, 100, 100}, true)};
    expectMessages(uncovered);
    EXPECT_EQ(red, emuScreenPixel(60, 60));
    EXPECT_EQ(desktop, emuScreenPixel(100, 60));
}

TEST_F(PaintTest, DestroyingAndMovingUncoverToo)
{
    HWND below = topLevel(0, 0, 100, 100, red);
    HWND above = topLevel(10, 10, 20, 20, green);
    emuPump();
    seen.clear();
    MoveWindow(above, 20, 10, 20, 20, FALSE);
    emuPump();
    // A moved window repaints whole even without the repaint flag; below, the strip it uncovered.
    const Messages moveAbove = {
        to(above, WM_MOVE).lparam(MAKELPARAM(20, 10)),      to(above, WM_ERASEBKGND),
        to(above, WM_PAINT).paints({0, 0, 20, 20}, true),   to(below, WM_ERASEBKGND),
        to(below, WM_PAINT).paints({10, 10, 20, 30}, true),
    };
    expectMessages(moveAbove);
    EXPECT_EQ(green, emuScreenPixel(39, 10));

    DestroyWindow(above);
    emuPump();
    const Messages destroyAbove = {
        to(above, WM_DESTROY),
        to(below, WM_ERASEBKGND),
        to(below, WM_PAINT).paints({20, 10, 40, 30}, true),
    };
    expectMessages(destroyAbove);
    EXPECT_EQ(red, emuScreenPixel(39, 10));
}

// The device ignores the repaint flag and takes it as FALSE; null windows are not for painting.
TEST_F(PaintTest, MoveWithoutChangeRepaintsNothingWhateverTheFlag)
{
    HWND w = topLevel(0, 0, 30, 30, red);
    emuPump();
    seen.clear();
    MoveWindow(w, 0, 0, 30, 30, FALSE);
    EXPECT_EQ(0, emuPump());
    MoveWindow(w, 0, 0, 30, 30, TRUE);
    EXPECT_EQ(0, emuPump());
    expectMessages({});

    EXPECT_FALSE(InvalidateRect(nullptr, nullptr, TRUE)) << "a null window takes no action";
    EXPECT_EQ(0, emuPump());
    EXPECT_TRUE(takeViolations().empty());
    EXPECT_FALSE(ValidateRect(nullptr, nullptr)) << "a null window is not supported";
    EXPECT_EQ(1u, takeViolations().size());
}

TEST_F(PaintTest, ResizingRepaintsTheWholeWindowAndSendsWmSize)
{
    HWND w = topLevel(0, 0, 30, 30, red);
    emuPump();
    seen.clear();
    MoveWindow(w, 0, 0, 50, 20, FALSE);
    const Messages resized = {to(w, WM_SIZE).wparam(0).lparam(MAKELPARAM(50, 20))}; // no WM_MOVE
    expectMessages(resized);
    emuPump();
    const Messages repaintedWhole = {to(w, WM_ERASEBKGND), to(w, WM_PAINT).paints({0, 0, 50, 20}, true)};
    expectMessages(repaintedWhole);
    EXPECT_EQ(red, emuScreenPixel(49, 0));
    EXPECT_EQ(desktop, emuScreenPixel(0, 25));
}

TEST_F(PaintTest, WindowDcDrawsOnlyWhereTheWindowIsVisible)
{
    HWND below = topLevel(0, 0, 100, 100, red);
    topLevel(50, 50, 100, 100, green);
    emuPump();
    drawThroughGetDc(below, blue);
    EXPECT_EQ(blue, emuScreenPixel(0, 0));
    EXPECT_EQ(blue, emuScreenPixel(99, 49));
    EXPECT_EQ(green, emuScreenPixel(50, 50)) << "covered by the window above";
    EXPECT_EQ(green, emuScreenPixel(99, 99));
    EXPECT_EQ(0, emuLiveCount(EMU_DC));
}

TEST_F(PaintTest, ChildrenClipTheirParent)
{
    HWND parent = topLevel(0, 0, 100, 100, red);
    HWND kid = child(parent, 10, 10, 20, 20, green);
    emuPump();
    EXPECT_EQ(green, emuScreenPixel(15, 15));
    drawThroughGetDc(parent, blue);
    EXPECT_EQ(green, emuScreenPixel(15, 15));
    EXPECT_EQ(blue, emuScreenPixel(9, 9));
    drawThroughGetDc(kid, blue);
    EXPECT_EQ(blue, emuScreenPixel(29, 29));
    EXPECT_EQ(blue, emuScreenPixel(30, 30)) << "the parent's own pixel";
    ShowWindow(kid, SW_HIDE);
    emuPump();
    EXPECT_EQ(red, emuScreenPixel(15, 15)) << "the parent repainted what its child uncovered";
}

TEST_F(PaintTest, ChildOutsideItsParentIsClippedAway)
{
    HWND parent = topLevel(0, 0, 50, 50, red);
    HWND kid = child(parent, 40, 40, 30, 30, green);
    emuPump();
    EXPECT_EQ(green, emuScreenPixel(49, 49));
    EXPECT_EQ(desktop, emuScreenPixel(50, 50));
    seen.clear();
    emuPenDown(55, 55);
    expectMessages({}); // no window answers for the clipped part
    (void)kid;
}

TEST_F(PaintTest, InvalidationAccumulatesItsBoundingRectangleWithinTheClient)
{
    HWND w = topLevel(0, 0, 100, 100, red);
    emuPump();
    seen.clear();
    RECT a = {10, 10, 20, 20}, b = {50, 5, 60, 15}, outside = {90, 90, 200, 200};
    InvalidateRect(w, &a, FALSE);
    InvalidateRect(w, &b, FALSE);
    InvalidateRect(w, &outside, FALSE);
    emuPump();
    const Messages oneForAllThree = {to(w, WM_PAINT).paints({10, 5, 100, 100}, false)};
    expectMessages(oneForAllThree);
}

TEST_F(PaintTest, PartialValidationCutsWholeStripsOnly)
{
    HWND w = topLevel(0, 0, 100, 100, red);
    emuPump();
    seen.clear();
    InvalidateRect(w, nullptr, FALSE);
    RECT top = {0, 0, 100, 30};
    ValidateRect(w, &top);
    RECT middle = {40, 40, 60, 60};
    ValidateRect(w, &middle);
    emuPump();
    // A hole cannot be cut out of a rectangle.
    const Messages topCutOff = {to(w, WM_PAINT).paints({0, 30, 100, 100}, false)};
    expectMessages(topCutOff);
}

TEST_F(PaintTest, BeginPaintClipsDrawingToTheUpdateRectangle)
{
    HWND w = topLevel(0, 0, 40, 40, red);
    emuPump();
    RECT part = {10, 10, 20, 20};
    InvalidateRect(w, &part, FALSE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    ASSERT_NE(nullptr, dc);
    EXPECT_RECT(part, ps.rcPaint);
    EXPECT_FALSE(ps.fErase);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            SetPixel(dc, x, y, RGB(0, 0, 255));
    EXPECT_TRUE(EndPaint(w, &ps));
    EXPECT_EQ(blue, emuScreenPixel(10, 10));
    EXPECT_EQ(blue, emuScreenPixel(19, 19));
    EXPECT_EQ(red, emuScreenPixel(20, 20));
    EXPECT_EQ(red, emuScreenPixel(9, 15));
    EXPECT_EQ(0, emuLiveCount(EMU_DC)) << "EndPaint released the DC";
    EXPECT_EQ(0, emuPump()) << "BeginPaint validated";

    dc = BeginPaint(w, &ps);
    EXPECT_RECT((RECT{0, 0, 0, 0}), ps.rcPaint) << "nothing is invalid now";
    SetPixel(dc, 0, 0, RGB(0, 0, 255));
    EndPaint(w, &ps);
    EXPECT_EQ(red, emuScreenPixel(0, 0)) << "and nothing can be drawn";
    drawThroughGetDc(w, blue);
    EXPECT_EQ(blue, emuScreenPixel(0, 0)) << "GetDC after EndPaint is not clipped";
}

TEST_F(PaintTest, EraseIsRequestedByInvalidateWithEraseAndByUncovering)
{
    HWND w = topLevel(0, 0, 40, 40, red);
    emuPump();
    // A newly shown window is erased; nothing erased it, so fErase tells the window.
    const Messages shownAndErased = {
        to(w, WM_CREATE),     to(w, WM_SIZE),
        to(w, WM_MOVE),       to(w, WM_SHOWWINDOW).wparam(TRUE),
        to(w, WM_ERASEBKGND), to(w, WM_PAINT).paints({0, 0, 40, 40}, true),
    };
    expectMessages(shownAndErased);
    InvalidateRect(w, nullptr, FALSE);
    emuPump();
    const Messages notErased = {to(w, WM_PAINT).paints({0, 0, 40, 40}, false)};
    expectMessages(notErased);
    InvalidateRect(w, nullptr, TRUE);
    emuPump();
    const Messages erased = {to(w, WM_ERASEBKGND), to(w, WM_PAINT).paints({0, 0, 40, 40}, true)};
    expectMessages(erased);
}

TEST_F(PaintTest, UpdateWindowPaintsAtOnceAndOnlyWhenInvalid)
{
    HWND w = topLevel(0, 0, 40, 40, red);
    EXPECT_TRUE(UpdateWindow(w));
    // UpdateWindow sends WM_PAINT at once: nothing was pumped.
    const Messages createdAndUpdated = {
        to(w, WM_CREATE),     to(w, WM_SIZE),
        to(w, WM_MOVE),       to(w, WM_SHOWWINDOW).wparam(TRUE),
        to(w, WM_ERASEBKGND), to(w, WM_PAINT).paints({0, 0, 40, 40}, true),
    };
    expectMessages(createdAndUpdated);
    EXPECT_EQ(red, emuScreenPixel(5, 5));
    EXPECT_TRUE(UpdateWindow(w));
    expectMessages({}); // nothing left to paint
    EXPECT_EQ(0, emuPump());
}

TEST_F(PaintTest, HiddenWindowsGetNoPaintUntilShown)
{
    HWND w = topLevel(10, 10, 40, 40, red, 0);
    InvalidateRect(w, nullptr, TRUE);
    EXPECT_EQ(0, emuPump());
    const Messages createdHidden = {to(w, WM_CREATE), to(w, WM_SIZE), to(w, WM_MOVE)};
    expectMessages(createdHidden);
    EXPECT_EQ(desktop, emuScreenPixel(10, 10));
    ShowWindow(w, SW_SHOWNOACTIVATE);
    EXPECT_EQ(1, emuPump());
    const Messages shownAndPainted = {
        to(w, WM_SHOWWINDOW).wparam(TRUE),
        to(w, WM_ERASEBKGND),
        to(w, WM_PAINT).paints({0, 0, 40, 40}, true),
    };
    expectMessages(shownAndPainted);
    EXPECT_EQ(red, emuScreenPixel(10, 10));
}

TEST_F(PaintTest, ShowingAWindowBelowAnotherLeavesItBelowWithShowNoActivate)
{
    HWND first = topLevel(0, 0, 40, 40, red, 0);
    HWND second = topLevel(20, 20, 40, 40, green);
    emuPump();
    ShowWindow(first, SW_SHOWNOACTIVATE);
    emuPump();
    EXPECT_EQ(green, emuScreenPixel(30, 30)) << "created later, so on top";
    seen.clear();
    ShowWindow(first, SW_SHOWNA);
    emuPump();
    EXPECT_EQ(red, emuScreenPixel(30, 30)) << "SW_SHOWNA brings a top-level window forward";
    // Already visible, so no WM_SHOWWINDOW; only what it took over is painted.
    const Messages broughtForward = {to(first, WM_ERASEBKGND), to(first, WM_PAINT).paints({20, 20, 40, 40}, true)};
    expectMessages(broughtForward);
    (void)second;
}

TEST_F(PaintTest, TopmostWindowsStayAbove)
{
    topLevel(0, 0, 40, 40, red, WS_VISIBLE, WS_EX_TOPMOST);
    HWND later = topLevel(0, 0, 40, 40, green);
    emuPump();
    EXPECT_EQ(red, emuScreenPixel(5, 5));
    ShowWindow(later, SW_SHOW);
    emuPump();
    EXPECT_EQ(red, emuScreenPixel(5, 5));
}

TEST_F(PaintTest, EndPaintWithAnotherDcIsRecorded)
{
    HWND w = topLevel(0, 0, 40, 40, red);
    emuPump();
    InvalidateRect(w, nullptr, FALSE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    HDC other = GetDC(w);
    PAINTSTRUCT wrong = ps;
    wrong.hdc = other;
    EXPECT_TRUE(EndPaint(w, &wrong)) << "EndPaint always succeeds on the device";
    EXPECT_EQ(1u, takeViolations().size());
    ReleaseDC(w, other);
    EXPECT_TRUE(EndPaint(w, &ps));
    (void)dc;
}

TEST_F(PaintTest, FailedBeginPaintIsNotMistakenForAnIgnoredPaint)
{
    HWND w = topLevel(0, 0, 40, 40, red);
    emuFailCall("BeginPaint", 1);
    EXPECT_EQ(2, emuPump()) << "the region stayed invalid, so WM_PAINT came again";
    // BeginPaint fails in the first WM_PAINT, so the window is erased only in the second.
    const Messages paintedAtTheSecondTry = {
        to(w, WM_CREATE),
        to(w, WM_SIZE),
        to(w, WM_MOVE),
        to(w, WM_SHOWWINDOW).wparam(TRUE),
        to(w, WM_PAINT),
        to(w, WM_ERASEBKGND),
        to(w, WM_PAINT).paints({0, 0, 40, 40}, true),
    };
    expectMessages(paintedAtTheSecondTry);
    EXPECT_EQ(red, emuScreenPixel(5, 5));
}

} // namespace
