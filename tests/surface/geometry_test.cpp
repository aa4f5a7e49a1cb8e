// Orientation, the announced panel rectangle and the layout chosen for mode and orientation.
#include <gtest/gtest.h>

#include "emu.h"
#include "model/panelstate.h"
#include "surface/surface.h"

namespace {

LRESULT CALLBACK plainProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(w, m, wp, lp);
}

class Geometry : public ::testing::Test {
  protected:
    void SetUp() override
    {
        emuReset();
        panel = panelStateAtLoad;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = plainProc;
        wc.lpszClassName = L"GeometryTest";
        RegisterClassW(&wc);
    }
    void TearDown() override
    {
        DestroyWindow(host);
        UnregisterClassW(L"GeometryTest", 0);
        EXPECT_EQ(0, emuViolationCount()) << emuViolation(0);
        panel = panelStateAtLoad;
    }
    // A host window at the given screen rectangle with the keyboard window inside it.
    void hostAt(int x, int y, int w, int h)
    {
        host = CreateWindowExW(0, L"GeometryTest", L"", WS_POPUP, x, y, w, h, 0, 0, 0, 0);
        panel.keyboardWindow = CreateWindowExW(0, L"GeometryTest", L"", WS_CHILD, 0, 0, 10, 10, host, 0, 0, 0);
    }
    HWND host = nullptr;
};

void expectRect(const RECT &r, LONG left, LONG top, LONG right, LONG bottom)
{
    EXPECT_EQ(left, r.left);
    EXPECT_EQ(top, r.top);
    EXPECT_EQ(right, r.right);
    EXPECT_EQ(bottom, r.bottom);
}

TEST_F(Geometry, PortraitScreenAnchorsThePanelAtTheBottomOfTheHostWindow)
{
    emuSetScreenSize(480, 640);
    hostAt(0, 388, 480, 252);
    updateGeometry();
    EXPECT_EQ(1, panel.portrait);
    expectRect(panel.hostRect, 0, 388, 480, 640);
    expectRect(panel.imInfo.rcSipRect, 0, 640 - 252, 480, 640);
    EXPECT_EQ(&lowerPortrait, panel.currentLayout);
    EXPECT_EQ(&lowerPortraitRows, panel.currentRowBounds);
}

TEST_F(Geometry, LandscapeAndSquareScreensTakeTheLandscapeKeyboard)
{
    emuSetScreenSize(640, 480);
    hostAt(0, 264, 640, 216);
    updateGeometry();
    EXPECT_EQ(0, panel.portrait);
    expectRect(panel.imInfo.rcSipRect, 0, 480 - 216, 640, 480);
    EXPECT_EQ(&lowerLandscape, panel.currentLayout);

    emuSetScreenSize(480, 480);
    updateGeometry();
    EXPECT_EQ(0, panel.portrait);
    EXPECT_EQ(640, panel.imInfo.rcSipRect.right) << "the width is fixed by the orientation, not the screen";
}

TEST_F(Geometry, AHostWindowShortOfTheScreenBottomEndsThePanelThere)
{
    emuSetScreenSize(480, 640);
    hostAt(30, 300, 400, 200);
    updateGeometry();
    expectRect(panel.imInfo.rcSipRect, 0, 500 - 252, 480, 500);
}

TEST_F(Geometry, ModesChooseTheirFamilyAndUnknownModesFallToLowerCase)
{
    emuSetScreenSize(480, 640);
    hostAt(0, 388, 480, 252);
    struct Case {
        DWORD mode;
        KeyboardLayout *layout;
        DWORD modeAfter;
    } cases[] = {{MODE_LOWER, &lowerPortrait, MODE_LOWER},
                 {MODE_SHIFT, &upperPortrait, MODE_SHIFT},
                 {MODE_CAPS, &upperPortrait, MODE_CAPS},
                 {MODE_NUMERIC, &numericPortrait, MODE_NUMERIC},
                 {MODE_SYMBOLS, &symbolsPortrait, MODE_SYMBOLS},
                 {7, &lowerPortrait, MODE_LOWER},
                 {15, &lowerPortrait, MODE_LOWER},
                 {0x13, &numericPortrait, 0x13}};
    updateGeometry();
    for (const Case &c : cases) {
        panel.mode = c.mode;
        selectLayout();
        EXPECT_EQ(c.layout, panel.currentLayout) << "mode " << c.mode;
        EXPECT_EQ(c.modeAfter, panel.mode) << "mode " << c.mode;
    }
}

} // namespace
