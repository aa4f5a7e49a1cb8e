// Tests of drawing contexts and bitmaps: selection bookkeeping, creation rules, window DCs, pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include "emu.h"
#include "plainwindow.h"

namespace {

class DcTest : public ::testing::Test {
  protected:
    void SetUp() override { emuReset(); }
    // Windows left open by a test go with the platform, not with the process.
    void TearDown() override { emuReset(); }

    // Every violation recorded, one per line, for messages.
    static std::string violations()
    {
        std::string all;
        for (int i = 0; i < emuViolationCount(); ++i)
            all += std::string(emuViolation(i)) + "\n";
        return all;
    }

    static bool violationMentions(const char *api)
    {
        for (int i = 0; i < emuViolationCount(); ++i)
            if (std::string(emuViolation(i)).find(api) == 0)
                return true;
        return false;
    }

    // A colour bitmap made through the screen DC, as the panel makes its back buffers.
    static HBITMAP colourBitmap(int width, int height)
    {
        HDC screen = GetDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        return b;
    }

    static BITMAP bitmapInfo(HBITMAP b)
    {
        BITMAP bm;
        memset(&bm, 0xDE, sizeof bm);
        EXPECT_EQ((int)sizeof(BITMAP), GetObjectW(b, sizeof bm, &bm));
        return bm;
    }
};

TEST_F(DcTest, NewMemoryDcHoldsTheMonochromeStockBitmapAndSelectReturnsWhatItReplaced)
{
    HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(nullptr, dc);
    HBITMAP a = colourBitmap(4, 3), b = colourBitmap(2, 2);

    HGDIOBJ stock = SelectObject(dc, a);
    ASSERT_NE(nullptr, stock) << "the stock bitmap comes back from the first selection";
    BITMAP bm = bitmapInfo((HBITMAP)stock);
    EXPECT_EQ(1, bm.bmWidth);
    EXPECT_EQ(1, bm.bmHeight);
    EXPECT_EQ(1, bm.bmBitsPixel) << "the stock bitmap is monochrome";

    EXPECT_EQ((HGDIOBJ)a, SelectObject(dc, b));
    EXPECT_EQ((HGDIOBJ)b, SelectObject(dc, b)) << "selecting the bitmap already held returns it";
    EXPECT_EQ((HGDIOBJ)b, SelectObject(dc, stock));
    // Now neither is selected, so both can go.
    EXPECT_TRUE(DeleteObject(a));
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(0, emuViolationCount()) << violations();
    for (int k = 0; k < EMU_KIND_COUNT; ++k)
        EXPECT_EQ(0, emuLiveCount(k)) << "kind " << k;
}

TEST_F(DcTest, TheStockBitmapIsSharedUncountedAndSurvivesDeleteObject)
{
    HDC one = CreateCompatibleDC(nullptr), two = CreateCompatibleDC(nullptr);
    HBITMAP a = colourBitmap(1, 1), b = colourBitmap(1, 1);
    HGDIOBJ stockOne = SelectObject(one, a), stockTwo = SelectObject(two, b);
    EXPECT_EQ(stockOne, stockTwo) << "one stock bitmap serves every memory DC";
    EXPECT_EQ(2, emuLiveCount(EMU_BITMAP)) << "the stock bitmap is not counted";
    EXPECT_TRUE(DeleteObject(stockOne)) << "deleting a stock object is harmless";
    EXPECT_EQ((HGDIOBJ)a, SelectObject(one, stockOne)) << "and it still selects";
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(DcTest, ABitmapSelectsIntoOneDcAtATime)
{
    HDC one = CreateCompatibleDC(nullptr), two = CreateCompatibleDC(nullptr);
    HBITMAP b = colourBitmap(2, 2);
    HGDIOBJ stock = SelectObject(one, b);
    EXPECT_EQ(nullptr, SelectObject(two, b)) << "a second DC cannot take a selected bitmap";
    EXPECT_TRUE(violationMentions("SelectObject")) << violations();
    emuClearViolations();

    SelectObject(one, stock);
    EXPECT_EQ(stock, SelectObject(two, b)) << "once the first DC let it go, another may take it";
    EXPECT_TRUE(DeleteDC(two)) << "deleting a DC lets its bitmap go";
    EXPECT_EQ(stock, SelectObject(one, b));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(DcTest, DeletingASelectedBitmapFailsAndIsAViolation)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = colourBitmap(2, 2);
    HGDIOBJ stock = SelectObject(dc, b);
    EXPECT_FALSE(DeleteObject(b));
    EXPECT_TRUE(violationMentions("DeleteObject")) << violations();
    EXPECT_EQ(1, emuLiveCount(EMU_BITMAP)) << "the bitmap is still there";
    EXPECT_EQ(0xFFFFFFu & emuBitmapPixel(b, 0, 0), emuBitmapPixel(b, 0, 0)) << "and still readable";
    emuClearViolations();

    SelectObject(dc, stock);
    EXPECT_TRUE(DeleteObject(b));
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(DcTest, BadHandlesFailWithAViolationAndChangeNothing)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = colourBitmap(2, 2);
    ASSERT_TRUE(DeleteObject(b));

    struct {
        const char *api;
        bool failed;
    } cases[] = {
        {"SelectObject", SelectObject(dc, b) == nullptr},           // stale bitmap
        {"SelectObject", SelectObject(dc, nullptr) == nullptr},     // null bitmap
        {"SelectObject", SelectObject(dc, (HGDIOBJ)dc) == nullptr}, // a DC is no bitmap
        {"DeleteObject", !DeleteObject(b)},                         // deleted twice
        {"DeleteObject", !DeleteObject((HGDIOBJ)dc)},               // a DC is no GDI object here
        {"GetObjectW", GetObjectW(b, sizeof(BITMAP), nullptr) == 0},
        {"CreateCompatibleBitmap", CreateCompatibleBitmap(nullptr, 2, 2) == nullptr},
        {"CreateCompatibleDC", CreateCompatibleDC((HDC)b) == nullptr},
        {"GetPixel", GetPixel(nullptr, 0, 0) == CLR_INVALID},
        {"BitBlt", !BitBlt(dc, 0, 0, 1, 1, (HDC)b, 0, 0, SRCCOPY)},
    };
    for (auto &c : cases) {
        EXPECT_TRUE(c.failed) << c.api;
    }
    ASSERT_EQ((int)(sizeof cases / sizeof cases[0]), emuViolationCount()) << violations();
    for (int i = 0; i < emuViolationCount(); ++i)
        EXPECT_EQ(0u, std::string(emuViolation(i)).find(cases[i].api)) << emuViolation(i);

    // The DC is unharmed: it still holds its stock bitmap.
    HBITMAP c = colourBitmap(1, 1);
    HGDIOBJ stock = SelectObject(dc, c);
    EXPECT_EQ(1, bitmapInfo((HBITMAP)stock).bmBitsPixel);
}

TEST_F(DcTest, CompatibleBitmapsTakeTheFormatOfWhatTheDcHolds)
{
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP mono = CreateCompatibleBitmap(mem, 8, 2);
    EXPECT_EQ(1, bitmapInfo(mono).bmBitsPixel) << "a fresh memory DC holds a monochrome bitmap";
    EXPECT_EQ(2, bitmapInfo(mono).bmWidthBytes) << "rows of a device bitmap are padded to 16 bits";

    HBITMAP colour = colourBitmap(3, 2);
    BITMAP bm = bitmapInfo(colour);
    EXPECT_EQ(3, bm.bmWidth);
    EXPECT_EQ(2, bm.bmHeight);
    EXPECT_EQ(16, bm.bmBitsPixel) << "the screen's format: the device's 16-bit display";
    EXPECT_EQ(6, bm.bmWidthBytes);
    EXPECT_EQ(1, bm.bmPlanes);
    EXPECT_EQ(nullptr, bm.bmBits);

    HGDIOBJ stock = SelectObject(mem, colour);
    HBITMAP fromColour = CreateCompatibleBitmap(mem, 2, 2);
    EXPECT_EQ(16, bitmapInfo(fromColour).bmBitsPixel) << "a DC holding a colour bitmap makes ones like it";

    HBITMAP empty = CreateCompatibleBitmap(mem, 0, 5);
    bm = bitmapInfo(empty);
    EXPECT_EQ(1, bm.bmWidth) << "a zero side gives a 1x1 monochrome bitmap";
    EXPECT_EQ(1, bm.bmHeight);
    EXPECT_EQ(1, bm.bmBitsPixel);

    EXPECT_EQ(nullptr, CreateCompatibleBitmap(mem, -1, 5));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(mem, 5, -1));
    EXPECT_EQ(nullptr, CreateCompatibleBitmap(mem, 100000, 100000)) << "beyond the size limit";
    EXPECT_EQ(4, emuLiveCount(EMU_BITMAP));
    SelectObject(mem, stock);
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(DcTest, GetObjectWReportsTheSizeItNeeds)
{
    HBITMAP b = colourBitmap(2, 2);
    EXPECT_EQ((int)sizeof(BITMAP), GetObjectW(b, 0, nullptr)) << "a null buffer asks for the size";
    BITMAP bm;
    memset(&bm, 0x5A, sizeof bm);
    EXPECT_EQ(0, GetObjectW(b, sizeof bm - 1, &bm)) << "a short buffer gets nothing";
    EXPECT_EQ(0x5A5A5A5A, bm.bmWidth);
}

TEST_F(DcTest, LiveBitmapsAreListedOldestFirstAsGetObjectWDescribesThem)
{
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP colour = colourBitmap(3, 2);
    HBITMAP mono = CreateCompatibleBitmap(mem, 17, 1); // the DC still holds its monochrome stock bitmap
    HBITMAP gone = colourBitmap(5, 5);
    DeleteObject(gone);
    const struct {
        HBITMAP bitmap;
        LONG width, height, widthBytes;
        WORD bits;
    } listed[] = {{colour, 3, 2, 6, 16}, {mono, 17, 1, 4, 1}};
    BITMAP bm;
    for (int n = 0; n < 2; ++n) {
        memset(&bm, 0xDE, sizeof bm);
        ASSERT_EQ(1, emuLiveBitmap(n, &bm)) << "bitmap " << n;
        BITMAP expected = bitmapInfo(listed[n].bitmap);
        EXPECT_EQ(listed[n].width, bm.bmWidth) << "bitmap " << n;
        EXPECT_EQ(listed[n].height, bm.bmHeight) << "bitmap " << n;
        EXPECT_EQ(listed[n].widthBytes, bm.bmWidthBytes) << "bitmap " << n << ": rows padded to 16 bits";
        EXPECT_EQ(listed[n].bits, bm.bmBitsPixel) << "bitmap " << n;
        EXPECT_EQ(0, memcmp(&expected, &bm, sizeof bm)) << "bitmap " << n << " as GetObjectW gives it";
    }
    EXPECT_EQ(0, emuLiveBitmap(2, &bm)) << "the deleted one and the stock bitmap are not live";
    EXPECT_EQ(0, emuLiveBitmap(-1, &bm));

    // Every counted call adds one to the total, whichever function it was.
    long long calls = emuCallTotal();
    DeleteObject(mono);
    GetObjectW(colour, 0, nullptr);
    DeleteDC(mem);
    EXPECT_EQ(calls + 3, emuCallTotal());
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(DcTest, SetPixelAndGetPixelSpeakColorrefAndClipToTheBitmap)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP b = colourBitmap(3, 2);
    SelectObject(dc, b);
    // A 16-bit bitmap keeps 5 bits of red, 6 of green and 5 of blue, read back with the bits repeated.
    EXPECT_EQ(RGB(0x10, 0x34, 0x52), SetPixel(dc, 2, 1, RGB(0x12, 0x34, 0x56))) << "the colour set is returned";
    EXPECT_EQ(0x103452u, emuBitmapPixel(b, 2, 1)) << "bitmaps store 0x00RRGGBB; COLORREF is 0x00BBGGRR";
    EXPECT_EQ(RGB(0x10, 0x34, 0x52), GetPixel(dc, 2, 1));
    EXPECT_EQ(RGB(0xFF, 0xFF, 0xFF), SetPixel(dc, 1, 1, RGB(0xFF, 0xFF, 0xFF))) << "full scale stays full";
    EXPECT_EQ(CLR_INVALID, SetPixel(dc, 3, 0, 0));
    EXPECT_EQ(CLR_INVALID, SetPixel(dc, -1, 0, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 2));
    EXPECT_EQ(0xFFFFFFFFu, emuBitmapPixel(b, 3, 0));

    // A monochrome bitmap keeps only black and white: the nearer of the two.
    HBITMAP mono = CreateCompatibleBitmap(CreateCompatibleDC(nullptr), 2, 1);
    HDC monoDc = CreateCompatibleDC(nullptr);
    SelectObject(monoDc, mono);
    EXPECT_EQ(RGB(255, 255, 255), SetPixel(monoDc, 0, 0, RGB(200, 200, 200)));
    EXPECT_EQ(RGB(0, 0, 0), SetPixel(monoDc, 1, 0, RGB(255, 0, 0)));
    EXPECT_EQ(0xFFFFFFu, emuBitmapPixel(mono, 0, 0));
    EXPECT_EQ(0u, emuBitmapPixel(mono, 1, 0));
}

TEST_F(DcTest, WindowDcsAreReleasedOnceAndNeverDeleted)
{
    HDC screen = GetDC(nullptr);
    ASSERT_NE(nullptr, screen);
    EXPECT_EQ(1, emuLiveCount(EMU_DC));
    EXPECT_FALSE(DeleteDC(screen)) << "a window DC is not deleted";
    EXPECT_TRUE(violationMentions("DeleteDC")) << violations();
    EXPECT_EQ(1, emuLiveCount(EMU_DC));
    emuClearViolations();

    HBITMAP b = colourBitmap(1, 1);
    EXPECT_EQ(nullptr, SelectObject(screen, b)) << "bitmaps go only into memory DCs";
    EXPECT_TRUE(violationMentions("SelectObject")) << violations();
    emuClearViolations();

    EXPECT_EQ(1, ReleaseDC(nullptr, screen));
    EXPECT_EQ(0, emuLiveCount(EMU_DC));
    EXPECT_EQ(0, ReleaseDC(nullptr, screen)) << "releasing twice";
    EXPECT_TRUE(violationMentions("ReleaseDC")) << violations();
    emuClearViolations();

    HDC mem = CreateCompatibleDC(nullptr);
    EXPECT_EQ(0, ReleaseDC(nullptr, mem)) << "a memory DC is deleted, not released";
    EXPECT_TRUE(violationMentions("ReleaseDC")) << violations();
    EXPECT_TRUE(DeleteDC(mem));
}

TEST_F(DcTest, InjectedFailuresFailTheNamedCallOnly)
{
    emuFailCall("CreateCompatibleDC", 2);
    HDC first = CreateCompatibleDC(nullptr);
    EXPECT_NE(nullptr, first);
    EXPECT_EQ(nullptr, CreateCompatibleDC(nullptr)) << "the second call fails";
    EXPECT_NE(nullptr, CreateCompatibleDC(nullptr)) << "and only that one";

    emuFailCall("SelectObject", 1);
    HBITMAP b = colourBitmap(1, 1);
    EXPECT_EQ(nullptr, SelectObject(first, b));
    EXPECT_NE(nullptr, SelectObject(first, b)) << "a failed selection left the DC as it was";

    emuFailCall("DeleteObject", 1);
    HBITMAP c = colourBitmap(1, 1);
    EXPECT_FALSE(DeleteObject(c));
    EXPECT_EQ(2, emuLiveCount(EMU_BITMAP));
    EXPECT_TRUE(DeleteObject(c));
    EXPECT_EQ(0, emuViolationCount()) << violations();
    EXPECT_EQ(3, emuCallCount("CreateCompatibleDC"));
}

// ---- window DCs on real windows ----

TEST_F(DcTest, AWindowDcDrawsInClientCoordinatesOnlyWhereTheWindowShows)
{
    HWND below = plainWindow(10, 20, 40, 30);
    HWND above = plainWindow(30, 20, 40, 30); // covers x 30..69 of the screen
    ASSERT_NE(nullptr, below);
    ASSERT_NE(nullptr, above);
    emuPump();

    HDC dc = GetDC(below);
    ASSERT_NE(nullptr, dc);
    HDC screen = GetDC(nullptr);
    DWORD coveredBefore = GetPixel(screen, 35, 25);
    EXPECT_EQ(RGB(8, 4, 8), SetPixel(dc, 5, 5, RGB(8, 4, 8)));
    EXPECT_EQ(RGB(8, 4, 8), GetPixel(screen, 15, 25)) << "client (5,5) is screen (15,25)";
    EXPECT_EQ(CLR_INVALID, SetPixel(dc, 25, 5, RGB(9, 9, 9))) << "screen (35,25) belongs to the window above";
    EXPECT_EQ(coveredBefore, GetPixel(screen, 35, 25));
    EXPECT_EQ(CLR_INVALID, SetPixel(dc, -1, 0, RGB(9, 9, 9))) << "outside the window";

    EXPECT_EQ(1, ReleaseDC(below, dc));
    EXPECT_EQ(1, ReleaseDC(nullptr, screen));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(DcTest, DestroyingAWindowWithItsDcHeldIsAViolationAndDropsTheDc)
{
    HWND w = plainWindow(0, 0, 10, 10);
    HDC dc = GetDC(w);
    HDC other = GetDC(w);
    ASSERT_NE(nullptr, dc);
    EXPECT_EQ(0, ReleaseDC(nullptr, other)) << "released against the wrong window";
    EXPECT_TRUE(violationMentions("ReleaseDC")) << violations();
    emuClearViolations();
    ASSERT_TRUE(ReleaseDC(w, other));

    DestroyWindow(w);
    EXPECT_EQ(1, emuViolationCount()) << violations();
    EXPECT_EQ(0, emuLiveCount(EMU_DC));
    EXPECT_EQ(0, ReleaseDC(w, dc)) << "the DC went with its window";
    EXPECT_EQ(nullptr, GetDC(w)) << "no DC for a destroyed window";
}

} // namespace
