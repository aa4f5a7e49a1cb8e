// The key magnifier: its size and place for each kind of key in both orientations, the clamps, what
// it shows, the letter window's own painting, and a back buffer that cannot be made.
#include "penfixture.h"

using namespace testsupport;

namespace {

struct Placement {
    const char *key;
    std::vector<std::pair<int, int>> before; // taps that reach the key's layout
    int row, slot;
    int left;        // screen x of the magnifier
    int topFromHost; // screen y of the magnifier, relative to the panel's top
    int width, height;
};

class Magnifier : public PenTest {
  protected:
    void expectPlacement(const Placement &p)
    {
        SCOPED_TRACE(p.key);
        for (const std::pair<int, int> &t : p.before)
            tapOn(t.first, t.second);
        downOn(p.row, p.slot);
        RECT r = letterRect();
        EXPECT_EQ(p.left, r.left);
        EXPECT_EQ(hostTop() + p.topFromHost, r.top);
        EXPECT_EQ(p.width, r.right - r.left);
        EXPECT_EQ(p.height, r.bottom - r.top);
        EXPECT_TRUE(magnifies(p.row, p.slot));
        EXPECT_TRUE(looksPressed(p.row, p.slot));
        penUp(keyX(p.row, p.slot), -20);
        EXPECT_TRUE(looksNormal(p.row, p.slot));
        callback.clearCalls();
        // Back to lowercase for the next key.
        if (panel.mode != MODE_LOWER) {
            panel.mode = MODE_LOWER;
            selectLayout();
            repaintKeyboard();
        }
        advance(100);
    }
};

// 125 % of the key's extents minus one, fraction dropped; centred, clamped to the panel's sides;
// the last row one free row above the key.
TEST_F(Magnifier, SizesAndPlacesInPortrait)
{
    const Placement placements[] = {
        {"w: a letter", {}, 0, 1, 43, -78, 58, 77},
        {"q: clamped at the left edge", {}, 0, 0, 0, -78, 58, 77},
        {"7: a wide key", {{3, 0}}, 0, 1, 85, -78, 118, 77},
        {"return: a wide key clamped at the right edge", {}, 3, 4, 480 - 118, 189 - 78, 118, 77},
        {"backspace: 72 wide, clamped at the right edge", {}, 2, 8, 480 - 88, 126 - 78, 88, 77},
        {"space: 192 wide", {}, 3, 2, 144 - 23, 189 - 78, 238, 77},
    };
    for (const Placement &p : placements)
        expectPlacement(p);
}

class MagnifierInLandscape : public Magnifier {
  protected:
    void SetUp() override
    {
        landscape = true;
        Magnifier::SetUp();
    }
};

TEST_F(MagnifierInLandscape, SizesAndPlaces)
{
    const Placement placements[] = {
        {"w: a letter", {}, 0, 1, 64 - 7, -67, 78, 66},
        {"p: clamped at the right edge", {}, 0, 9, 640 - 78, -67, 78, 66},
        {"7: a wide key", {{3, 0}}, 0, 1, 128 - 15, -67, 158, 66},
        {"backspace: 96 wide, clamped at the right edge", {}, 2, 8, 640 - 118, 108 - 67, 118, 66},
    };
    for (const Placement &p : placements)
        expectPlacement(p);
}

// With the panel at the top of the screen, a top-row key's magnifier starts above the screen.
TEST_F(Magnifier, AboveATopRowKeyItMayLeaveTheScreen)
{
    MoveWindow(hostWindow, 0, 30, 480, 252, TRUE);
    SendMessageW(panel.keyboardWindow, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    emuPump();
    ASSERT_EQ(30, hostTop());
    downOn(0, 1);
    EXPECT_EQ(30 - 78, letterRect().top);
    EXPECT_EQ(43, letterRect().left);
    EXPECT_TRUE(magnifies(0, 1)) << "the part on the screen";
    upOn(0, 1);
}

// The picture comes from the pressed face of the mode on screen.
TEST_F(Magnifier, ShowsTheKeyFromThePressedFaceOfTheMode)
{
    tapOn(2, 0); // one-shot shift
    downOn(1, 5);
    EXPECT_EQ(0x1010u, pressedFace());
    EXPECT_TRUE(magnifies(1, 5));
    EXPECT_TRUE(looksPressed(1, 5));
    upOn(1, 5);
}

// The letter window has no decoration and paints itself from its back buffer, edges included.
TEST_F(Magnifier, TheLetterWindowPaintsFromItsBackBuffer)
{
    EXPECT_EQ(0, GetWindowLongW(panel.letterWindow, GWL_STYLE));
    EXPECT_TRUE(GetWindowLongW(panel.letterWindow, GWL_EXSTYLE) & WS_EX_NOACTIVATE);
    downOn(1, 3);
    RECT r = letterRect();
    // Scribble over the window's picture on the screen, then let the window repaint a part of it
    // that ends at its last column and row.
    HDC dc = GetDC(panel.letterWindow);
    HDC blank = CreateCompatibleDC(dc);
    HBITMAP black = CreateCompatibleBitmap(dc, r.right - r.left, r.bottom - r.top);
    HGDIOBJ stock = SelectObject(blank, black);
    BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, blank, 0, 0, SRCCOPY);
    SelectObject(blank, stock);
    DeleteObject(black);
    DeleteDC(blank);
    ReleaseDC(panel.letterWindow, dc);
    ASSERT_FALSE(decodeFace(screenAt(r.right - 1, r.bottom - 1)).valid);
    RECT part = {10, 10, r.right - r.left, r.bottom - r.top};
    InvalidateRect(panel.letterWindow, &part, FALSE);
    emuPump();
    FacePixel corner = decodeFace(screenAt(r.right - 1, r.bottom - 1));
    EXPECT_TRUE(corner.valid && corner.row == 1 && corner.slot == 3);
    upOn(1, 3);
}

// A back buffer that cannot be made leaves the window shown and empty; the next press makes one.
TEST_F(Magnifier, ABackBufferThatCannotBeMadeIsMadeAtTheNextPress)
{
    emuFailCall("CreateCompatibleBitmap", 1);
    downOn(1, 3);
    EXPECT_EQ(nullptr, panel.letterBackBitmap);
    EXPECT_TRUE(letterShown());
    EXPECT_EQ(1, panel.letterVisible);
    EXPECT_TRUE(looksPressed(1, 3));
    upOn(1, 3);
    expectKeys(typed('D', 'd'), "d without a magnifier picture");
    downOn(1, 4);
    EXPECT_NE(nullptr, panel.letterBackBitmap);
    EXPECT_TRUE(magnifies(1, 4));
    upOn(1, 4);

    // Failing on a later press, after a buffer was made.
    emuFailCall("CreateCompatibleBitmap", 1);
    downOn(1, 5);
    EXPECT_TRUE(letterShown());
    upOn(1, 5);
    downOn(1, 6);
    EXPECT_TRUE(magnifies(1, 6));
    upOn(1, 6);
}

} // namespace
