// The screen: composition, screenshots, screen size and rotation notices, the desktop colour.
#include <cstdio>

#include <ceuser.h>

#include "image.h"
#include "wmtest.h"

namespace {

using ScreenTest = WindowManagerTest;

TEST_F(ScreenTest, ScreenshotIsThePngOfTheFramebuffer)
{
    // Colours the 16-bit display keeps exactly.
    emuSetDesktopColour(0x214163);
    topLevel(10, 20, 30, 40, 0xFF8200);
    topLevel(25, 45, 100, 10, 0x00FF84);
    emuPump();
    std::string path = ::testing::TempDir() + "emu_screen_test.png";
    ASSERT_TRUE(emuScreenshot(path.c_str()));
    Image shot;
    readPng(path, &shot);
    int width = shot.width, height = shot.height;
    const std::vector<uint32_t> &pixels = shot.pixels;
    std::remove(path.c_str());
    ASSERT_EQ(480, width);
    ASSERT_EQ(640, height);
    int mismatches = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mismatches += pixels[(size_t)y * width + x] != emuScreenPixel(x, y);
    EXPECT_EQ(0, mismatches);
    EXPECT_EQ(0x214163u, pixels[0]);
    EXPECT_EQ(0xFF8200u, pixels[(size_t)20 * width + 10]);
    EXPECT_EQ(0x00FF84u, pixels[(size_t)50 * width + 30]) << "the later window lies on top";
    EXPECT_EQ(0xFF8200u, pixels[(size_t)44 * width + 30]);
}

TEST_F(ScreenTest, ScreenshotToAnUnwritablePathFails)
{
    EXPECT_FALSE(emuScreenshot("/nonexistent-directory/x.png"));
    EXPECT_FALSE(emuScreenshot(nullptr));
}

// The device's display keeps 16 bits (5-6-5): what reaches the screen loses what it loses there;
// a display of 24 bits keeps every colour.
TEST_F(ScreenTest, TheDisplayKeepsSixteenBitsUnlessToldOtherwise)
{
    EXPECT_EQ(16, emuScreenDepth());
    emuSetDesktopColour(0x123456);
    EXPECT_EQ(0x103452u, emuScreenPixel(0, 0)) << "each channel cut to its bits, then widened";
    HWND w = topLevel(0, 0, 4, 4);
    emuPump();
    HDC window = GetDC(w);
    HDC memory = CreateCompatibleDC(window);
    HBITMAP b = CreateCompatibleBitmap(window, 4, 4);
    HGDIOBJ stock = SelectObject(memory, b);
    SetPixel(memory, 0, 0, RGB(0xFF, 0x07, 0x84));
    EXPECT_EQ(0xFF0484u, emuBitmapPixel(b, 0, 0)) << "a bitmap compatible with the display has its format";
    EXPECT_TRUE(BitBlt(window, 0, 0, 1, 1, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(0xFF0484u, emuScreenPixel(0, 0));
    SelectObject(memory, stock);
    DeleteObject(b);
    DeleteDC(memory);
    ReleaseDC(w, window);

    EXPECT_FALSE(emuSetScreenDepth(8));
    EXPECT_TRUE(emuSetScreenDepth(32));
    emuSetDesktopColour(0x123456);
    EXPECT_EQ(0x123456u, emuScreenPixel(100, 100));
    EXPECT_EQ(0, emuViolationCount());
}

TEST_F(ScreenTest, PixelsOutsideTheScreenReadAsZero)
{
    emuSetDesktopColour(0xFFFFFF);
    EXPECT_EQ(0xFFFFFFu, emuScreenPixel(479, 639));
    EXPECT_EQ(0u, emuScreenPixel(480, 0));
    EXPECT_EQ(0u, emuScreenPixel(0, 640));
    EXPECT_EQ(0u, emuScreenPixel(-1, 0));
}

// The system tells top-level windows only; a child learns of it from its host.
TEST_F(ScreenTest, RotationNoticeGoesToTopLevelWindowsOnly)
{
    HWND first = topLevel(0, 0, 10, 10);
    HWND kid = child(first, 0, 0, 5, 5);
    HWND second = topLevel(0, 0, 10, 10, 0, 0);
    seen.clear();

    emuRotate(640, 480);
    EXPECT_EQ(640, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(480, GetSystemMetrics(SM_CYSCREEN));
    // Top-level windows in creation order, hidden ones included.
    const Messages rotated = {
        to(first, WM_SETTINGCHANGE).wparam(SETTINGCHANGE_RESET).lparam(0),
        to(second, WM_SETTINGCHANGE).wparam(SETTINGCHANGE_RESET).lparam(0),
    };
    expectMessages(rotated);
    (void)kid;
}

TEST_F(ScreenTest, NewSizeIsKnownWhenTheNoticeArrives)
{
    static int widthSeen;
    widthSeen = 0;
    struct Probe {
        static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
        {
            if (msg == WM_SETTINGCHANGE)
                widthSeen = GetSystemMetrics(SM_CXSCREEN);
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
    };
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Probe::proc;
    wc.lpszClassName = L"Probe";
    RegisterClassW(&wc);
    CreateWindowExW(0, L"Probe", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    emuRotate(640, 480);
    EXPECT_EQ(640, widthSeen);
}

TEST_F(ScreenTest, ResizingTheScreenRepaintsEveryVisibleWindow)
{
    HWND w = topLevel(0, 0, 50, 50, 0xFF0000);
    HWND hidden = topLevel(0, 0, 50, 50, 0x00FF00, 0);
    emuPump();
    seen.clear();
    emuSetScreenSize(640, 480);
    EXPECT_EQ(640, emuScreenWidth());
    EXPECT_EQ(480, emuScreenHeight());
    EXPECT_EQ(0u, emuScreenPixel(10, 10)) << "the new screen starts as desktop";
    EXPECT_EQ(1, emuPump());
    const Messages visibleOnesRepaint = {to(w, WM_ERASEBKGND), to(w, WM_PAINT).paints({0, 0, 50, 50}, true)};
    expectMessages(visibleOnesRepaint);
    (void)hidden;
    EXPECT_EQ(0xFF0000u, emuScreenPixel(10, 10));
    EXPECT_EQ(0u, emuScreenPixel(639, 479));
}

TEST_F(ScreenTest, ScreenSizeIsClampedAndAnEmptyScreenHasNoScreenshot)
{
    emuSetScreenSize(-5, 100);
    EXPECT_EQ(0, emuScreenWidth());
    EXPECT_EQ(100, emuScreenHeight());
    EXPECT_EQ(0, GetSystemMetrics(SM_CXSCREEN));
    std::string path = ::testing::TempDir() + "emu_empty_screen.png";
    EXPECT_FALSE(emuScreenshot(path.c_str()));
    HWND w = topLevel(0, 0, 10, 10, 0xFF0000);
    EXPECT_EQ(0, emuPump()) << "a window on no screen has nothing to paint";
    emuSetScreenSize(100000, 100000);
    EXPECT_GE(4096, emuScreenWidth()) << "a huge size is capped";
    (void)w;
}

TEST_F(ScreenTest, DesktopColourPaintsTheScreenAndWindowsRepaintOverIt)
{
    HWND w = topLevel(0, 0, 20, 20, 0xFF0000);
    emuPump();
    emuSetDesktopColour(0x0000FF);
    EXPECT_EQ(0x0000FFu, emuScreenPixel(5, 5)) << "the whole screen first";
    emuPump();
    EXPECT_EQ(0xFF0000u, emuScreenPixel(5, 5));
    EXPECT_EQ(0x0000FFu, emuScreenPixel(25, 5));
    (void)w;
}

TEST_F(ScreenTest, ResetRestoresThePortraitScreen)
{
    emuRotate(640, 480);
    emuReset();
    EXPECT_EQ(480, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(640, GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(0, emuLiveCount(EMU_WINDOW));
}

} // namespace
