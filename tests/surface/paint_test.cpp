// Painting on the emulated screen with the pixel-test skin: which face each pixel came from.
#include "support/panelfixture.h"

#include "surface/surface.h"

using namespace testsupport;

namespace {

class Paint : public PanelTest {
  protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        installSkin(omit);
    }
    std::set<unsigned> omit;

    // Every pixel of the keyboard (sampled every `step`) shows the given face, and the key there
    // in the given layout (the current one unless said otherwise).
    void expectWholeFace(unsigned imageId, int step = 3, KeyboardLayout *layout = nullptr)
    {
        KeyboardLayout *saved = panel.currentLayout;
        if (layout)
            panel.currentLayout = layout;
        expectFace(imageId, step);
        panel.currentLayout = saved;
    }
    void expectFace(unsigned imageId, int step)
    {
        const RowBounds &b = *panel.currentRowBounds;
        LONG width = panel.portrait ? 480 : 640;
        for (LONG y = 0; y < b[4]; y += step) {
            for (LONG x = 0; x < width; x += step) {
                FacePixel p = faceAt(x, y);
                RECT r = {x, y, 0, 0};
                KeyRecord *key = hitTest(&r);
                ASSERT_TRUE(p.valid) << "(" << x << ", " << y << ") is no face pixel";
                ASSERT_EQ(imageId, p.imageId) << "(" << x << ", " << y << ")";
                if (key) {
                    ASSERT_EQ(key, &(*panel.currentLayout)[p.row][p.slot]) << "(" << x << ", " << y << ")";
                } else {
                    ASSERT_EQ(-1, p.row) << "(" << x << ", " << y << ") lies in a gap";
                }
            }
        }
    }
    // Every pixel of a key's rectangle comes from the given face.
    void expectKey(int row, int slot, unsigned imageId)
    {
        const KeyRecord &k = (*panel.currentLayout)[row][slot];
        const RowBounds &b = *panel.currentRowBounds;
        for (LONG y = b[row]; y < b[row + 1]; ++y)
            for (LONG x = k.left; x <= k.right; ++x)
                ASSERT_EQ(imageId, faceAt(x, y).imageId)
                    << "key " << row << "/" << slot << " at (" << x << ", " << y << ")";
    }
    void paintRect(LONG left, LONG top, LONG right, LONG bottom)
    {
        RECT r = {left, top, right, bottom};
        HDC dc = GetDC(panel.keyboardWindow);
        paintKeyboard(dc, &r);
        ReleaseDC(panel.keyboardWindow, dc);
    }
    void mark(int row, int slot) { (*panel.currentLayout)[row][slot].flags |= KEY_PRESSED; }
    int loads() const { return emuCallCount("SHLoadImageResource"); }
};

TEST_F(Paint, TheFirstPaintShowsTheNormalFaceWhole)
{
    select();
    expectWholeFace(0x1001);
    EXPECT_NE(nullptr, panel.normalFaceBitmap);
    EXPECT_EQ(0x1001, panel.loadedNormalImageId);
    EXPECT_EQ(0x1000, panel.loadedPressedImageId);
}

TEST_F(Paint, PressedKeysComeFromThePressedFace)
{
    select();
    mark(1, 1);
    panel.pressedCount = 1;
    repaintKeyboard();
    expectKey(1, 1, 0x1000);
    expectKey(1, 2, 0x1001);
    expectKey(0, 1, 0x1001);
}

TEST_F(Paint, OnlyKeysOverlappingTheUpdateRectangleAreRedrawnAndThenWhole)
{
    select();
    mark(0, 1); // w: 48..95, 0..62
    mark(2, 4); // v: 216..263, 126..188
    panel.pressedCount = 2;
    // Touching w's left edge from outside, as IntersectRect sees an exclusive right edge: no overlap.
    paintRect(0, 0, 48, 63);
    expectKey(0, 1, 0x1001);
    // One pixel into w: the whole key, beyond the update rectangle, is redrawn pressed; v is not.
    paintRect(0, 0, 49, 10);
    expectKey(0, 1, 0x1000);
    expectKey(2, 4, 0x1001);
}

TEST_F(Paint, TheWalkStopsAtThePressedCountAndSurvivesCountsAboveTheMarks)
{
    select();
    mark(0, 1);
    mark(2, 4);
    panel.pressedCount = 0;
    repaintKeyboard();
    expectKey(0, 1, 0x1001);
    panel.pressedCount = 1;
    repaintKeyboard();
    expectKey(0, 1, 0x1000);
    expectKey(2, 4, 0x1001);
    panel.pressedCount = 7; // mode keys and slides count presses without marks
    repaintKeyboard();
    expectKey(2, 4, 0x1000);
}

TEST_F(Paint, ShiftAndCapsShowFacesOfTheirOwnAndARepaintLoadsNothing)
{
    select();
    panel.mode = MODE_SHIFT;
    selectLayout();
    int before = loads();
    repaintKeyboard();
    EXPECT_EQ(before + 2, loads());
    expectWholeFace(0x1011);
    repaintKeyboard();
    EXPECT_EQ(before + 2, loads()) << "a repaint in the same mode loads nothing";

    panel.mode = MODE_CAPS;
    selectLayout();
    repaintKeyboard();
    expectWholeFace(0x1021);
    EXPECT_EQ(&upperPortrait, panel.currentLayout);
}

TEST_F(Paint, LandscapeFacesFollowARotation)
{
    select();
    rotate(640, 480);
    EXPECT_EQ(480 - 216, panel.hostRect.top);
    expectWholeFace(0x1005);
}

class PaintWithMissingFace : public Paint {
  protected:
    void SetUp() override
    {
        omit = {0x1031};
        Paint::SetUp();
    }
};

TEST_F(PaintWithMissingFace, AFailedLoadKeepsThePreviousPairAndIsNotRetriedUntilTheModeChanges)
{
    select();
    panel.mode = MODE_NUMERIC;
    selectLayout();
    int before = loads();
    int bitmaps = emuLiveCount(EMU_BITMAP);
    repaintKeyboard();
    EXPECT_EQ(before + 2, loads());
    EXPECT_EQ(bitmaps, emuLiveCount(EMU_BITMAP)) << "the half of the pair that loaded is not kept";
    EXPECT_EQ(0x1031, panel.loadedNormalImageId);
    EXPECT_EQ(0x1030, panel.loadedPressedImageId);
    expectWholeFace(0x1001, 7, &lowerPortrait);
    repaintKeyboard();
    EXPECT_EQ(before + 2, loads()) << "no retry in the same mode";

    panel.mode = MODE_SYMBOLS;
    selectLayout();
    repaintKeyboard();
    expectWholeFace(0x1041, 7);
    panel.mode = MODE_NUMERIC;
    selectLayout();
    repaintKeyboard();
    EXPECT_EQ(before + 6, loads()) << "the mode change tries again";
}

TEST_F(Paint, ClearingPressedKeysUnmarksEveryLayout)
{
    lowerPortrait[0][0].flags |= KEY_PRESSED;
    symbolsLandscape[3][4].flags |= KEY_PRESSED;
    panel.pressedCount = 2;
    clearPressedKeys();
    EXPECT_EQ(0, panel.pressedCount);
    EXPECT_EQ(0u, lowerPortrait[0][0].flags & KEY_PRESSED);
    EXPECT_EQ(0u, symbolsLandscape[3][4].flags & KEY_PRESSED);
    EXPECT_EQ((UINT)KEY_SHIFTED, symbolsLandscape[3][4].flags) << "other bits stay";
}

} // namespace
