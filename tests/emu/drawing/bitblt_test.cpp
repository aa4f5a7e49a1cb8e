// Tests of BitBlt and StretchBlt: clipping on every edge, empty and negative sizes, overlap, sampling.
#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <vector>

#include "emu.h"
#include "plainwindow.h"

namespace {

// These tests follow each pixel by a colour that encodes its coordinates, which a 16-bit display
// would round: they run on a 24-bit display (the 16-bit one is DisplayTest's).
void freshPlatform()
{
    emuReset();
    emuSetScreenDepth(32);
}

// A memory DC holding a colour bitmap whose pixels are set from a function.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    int width = 0;
    int height = 0;

    Canvas(int w, int h, uint32_t (*colour)(int x, int y)) : width(w), height(h)
    {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, bitmap);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t c = colour(x, y);
                SetPixel(dc, x, y, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
            }
    }
    uint32_t at(int x, int y) const { return emuBitmapPixel(bitmap, x, y); }
};

// Source pictures: every pixel tells where it came from.
uint32_t coordinates(int x, int y)
{
    return 0x100000 | (uint32_t)(x << 8) | (uint32_t)y;
}
uint32_t blank(int, int)
{
    return 0xEEEEEE;
}

int sourceX(uint32_t pixel)
{
    return (int)((pixel >> 8) & 0xFF);
}
int sourceY(uint32_t pixel)
{
    return (int)(pixel & 0xFF);
}
bool copied(uint32_t pixel)
{
    return (pixel & 0xFF0000) == 0x100000;
}

class BlitTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        freshPlatform();
        emuClearPixelCounts();
    }
    // Windows left open by a test go with the platform, not with the process.
    void TearDown() override { freshPlatform(); }

    static std::string violations()
    {
        std::string all;
        for (int i = 0; i < emuViolationCount(); ++i)
            all += std::string(emuViolation(i)) + "\n";
        return all;
    }

    // Which pixels of dst were written by a copy that maps (x, y) to source (x - dx, y - dy),
    // checked against the expected rectangle [left, right) x [top, bottom).
    static void expectShiftedCopy(const Canvas &dst, int dx, int dy, int left, int top, int right, int bottom)
    {
        for (int y = 0; y < dst.height; ++y)
            for (int x = 0; x < dst.width; ++x) {
                uint32_t p = dst.at(x, y);
                bool inside = x >= left && x < right && y >= top && y < bottom;
                if (inside)
                    EXPECT_EQ(coordinates(x - dx, y - dy), p) << "at (" << x << "," << y << ")";
                else
                    EXPECT_EQ(0xEEEEEEu, p) << "at (" << x << "," << y << ") should be untouched";
            }
    }
};

TEST_F(BlitTest, BitBltCopiesTheBlockAndCountsIt)
{
    Canvas src(10, 8, coordinates), dst(10, 8, blank);
    ASSERT_TRUE(BitBlt(dst.dc, 3, 2, 4, 3, src.dc, 1, 4, SRCCOPY));
    expectShiftedCopy(dst, 2, -2, 3, 2, 7, 5);
    EXPECT_EQ(12, emuPixelsCopied(EMU_BITBLT));
    EXPECT_EQ(0, emuPixelsCopied(EMU_STRETCHBLT));
}

TEST_F(BlitTest, BitBltClipsToTheDestinationOnEachEdge)
{
    struct Case {
        const char *edge;
        int x, y;                     // destination origin of a 4x3 copy from source (2,2)
        int left, top, right, bottom; // what lands in the 10x8 destination
    } cases[] = {
        {"left", -2, 3, 0, 3, 2, 6},  {"top", 4, -1, 4, 0, 8, 2},       {"right", 8, 3, 8, 3, 10, 6},
        {"bottom", 4, 6, 4, 6, 8, 8}, {"all four", -2, -1, 0, 0, 2, 2}, {"entirely outside", 10, 0, 0, 0, 0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.edge);
        freshPlatform();
        emuClearPixelCounts();
        Canvas src(10, 8, coordinates), dst(10, 8, blank);
        ASSERT_TRUE(BitBlt(dst.dc, c.x, c.y, 4, 3, src.dc, 2, 2, SRCCOPY));
        expectShiftedCopy(dst, c.x - 2, c.y - 2, c.left, c.top, c.right, c.bottom);
        EXPECT_EQ((long long)(c.right - c.left) * (c.bottom - c.top), emuPixelsCopied(EMU_BITBLT));
    }
}

TEST_F(BlitTest, BitBltClipsToTheSourceAndLeavesTheRestUntouched)
{
    struct Case {
        const char *edge;
        int sx, sy;                   // source origin of a 4x3 copy to destination (3,3)
        int left, top, right, bottom; // destination pixels that get a source pixel
    } cases[] = {
        {"negative source x", -2, 1, 5, 3, 7, 6},
        {"negative source y", 1, -1, 3, 4, 7, 6},
        {"source right edge", 8, 1, 3, 3, 5, 6},
        {"source bottom edge", 1, 6, 3, 3, 7, 5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.edge);
        freshPlatform();
        emuClearPixelCounts();
        Canvas src(10, 8, coordinates), dst(10, 8, blank);
        ASSERT_TRUE(BitBlt(dst.dc, 3, 3, 4, 3, src.dc, c.sx, c.sy, SRCCOPY));
        expectShiftedCopy(dst, 3 - c.sx, 3 - c.sy, c.left, c.top, c.right, c.bottom);
        EXPECT_EQ((long long)(c.right - c.left) * (c.bottom - c.top), emuPixelsCopied(EMU_BITBLT));
    }
}

TEST_F(BlitTest, BitBltWithAnEmptyOrNegativeSizeCopiesNothing)
{
    Canvas src(4, 4, coordinates), dst(4, 4, blank);
    const int sizes[][2] = {{0, 2}, {2, 0}, {-2, 2}, {2, -2}, {-1, -1}, {INT_MIN, 2}};
    for (auto &s : sizes) {
        EXPECT_TRUE(BitBlt(dst.dc, 2, 2, s[0], s[1], src.dc, 2, 2, SRCCOPY)) << s[0] << "x" << s[1];
    }
    expectShiftedCopy(dst, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(0, emuPixelsCopied(EMU_BITBLT));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(BlitTest, HugeSizesAreClippedWithoutWalkingThem)
{
    Canvas src(6, 5, coordinates), dst(6, 5, blank);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, INT_MAX, INT_MAX, src.dc, 0, 0, SRCCOPY));
    expectShiftedCopy(dst, 0, 0, 0, 0, 6, 5);
    ASSERT_TRUE(StretchBlt(dst.dc, INT_MIN + 1, 0, INT_MAX, 5, src.dc, 0, 0, 6, 5, SRCCOPY));
    EXPECT_EQ(0, emuPixelsCopied(EMU_STRETCHBLT)) << "that rectangle ends left of the bitmap";
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, INT_MAX, 1, src.dc, 0, 0, 1, 1, SRCCOPY));
    EXPECT_EQ(6, emuPixelsCopied(EMU_STRETCHBLT)) << "one source pixel over the whole first row";
    EXPECT_EQ(coordinates(0, 0), dst.at(5, 0));
}

TEST_F(BlitTest, SourceAndDestinationMayBeTheSameDcAndOverlap)
{
    Canvas c(8, 3, coordinates);
    // Shift the first six columns right by two: every pixel must come from before the copy.
    ASSERT_TRUE(BitBlt(c.dc, 2, 0, 6, 3, c.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(coordinates(x < 2 ? x : x - 2, y), c.at(x, y)) << x << "," << y;
    // And back left, overlapping the other way.
    ASSERT_TRUE(BitBlt(c.dc, 0, 0, 6, 3, c.dc, 2, 0, SRCCOPY));
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(coordinates(x, 1), c.at(x, 1)) << x;
}

TEST_F(BlitTest, OnlySourceCopyIsEmulated)
{
    Canvas src(2, 2, coordinates), dst(2, 2, blank);
    const DWORD SRCPAINT = 0x00EE0086;
    EXPECT_FALSE(BitBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, SRCPAINT));
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 2, SRCPAINT));
    EXPECT_EQ(2, emuViolationCount()) << violations();
    EXPECT_EQ(0xEEEEEEu, dst.at(0, 0));
}

TEST_F(BlitTest, CopiesIntoAMonochromeBitmapKeepOnlyWhiteAsWhite)
{
    uint32_t (*picture)(int, int) = [](int x, int) -> uint32_t {
        return x == 0 ? 0xFFFFFF : x == 1 ? 0xFEFFFF : 0x000000;
    };
    Canvas src(3, 1, picture);
    HDC mono = CreateCompatibleDC(nullptr);
    HBITMAP bits = CreateCompatibleBitmap(mono, 3, 1); // monochrome: the DC holds its stock bitmap
    SelectObject(mono, bits);
    ASSERT_TRUE(BitBlt(mono, 0, 0, 3, 1, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(0xFFFFFFu, emuBitmapPixel(bits, 0, 0));
    EXPECT_EQ(0x000000u, emuBitmapPixel(bits, 1, 0)) << "near-white is not the background colour";
    EXPECT_EQ(0x000000u, emuBitmapPixel(bits, 2, 0));
}

// ---- StretchBlt ----

// Source column used for each destination column of a one-row stretch from `from` to `to` pixels.
std::vector<int> stretchedColumns(int from, int to)
{
    freshPlatform();
    Canvas src(from, 1, coordinates), dst(to, 1, blank);
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, to, 1, src.dc, 0, 0, from, 1, SRCCOPY));
    std::vector<int> columns;
    for (int i = 0; i < to; ++i)
        columns.push_back(copied(dst.at(i, 0)) ? sourceX(dst.at(i, 0)) : -1);
    return columns;
}

TEST_F(BlitTest, StretchBltSamplesTheSourcePixelUnderEachDestinationCentre)
{
    // Destination pixel i takes source floor((2i + 1) * from / (2 * to)), worked out by hand.
    EXPECT_EQ((std::vector<int>{0, 1, 1, 2, 3, 3}), stretchedColumns(4, 6)) << "enlarge 4 -> 6";
    EXPECT_EQ((std::vector<int>{0, 0, 0, 1, 1, 1}), stretchedColumns(2, 6)) << "enlarge 2 -> 6";
    EXPECT_EQ((std::vector<int>{0, 2, 3, 5}), stretchedColumns(6, 4)) << "shrink 6 -> 4";
    EXPECT_EQ((std::vector<int>{1, 4, 7}), stretchedColumns(9, 3)) << "shrink 9 -> 3";
    EXPECT_EQ((std::vector<int>{2}), stretchedColumns(5, 1)) << "shrink to one pixel takes the middle";
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), stretchedColumns(4, 4)) << "1:1";
}

// The device does not mirror: extents of opposite signs are refused; both negative run up and
// left from their origins without mirroring.
TEST_F(BlitTest, StretchBltRefusesToMirror)
{
    Canvas src(3, 2, coordinates), dst(3, 2, blank);
    SetLastError(0);
    EXPECT_FALSE(StretchBlt(dst.dc, 0, 1, 3, -2, src.dc, 0, 0, 3, 2, SRCCOPY)) << "upside down";
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_FALSE(StretchBlt(dst.dc, 2, 0, -3, 2, src.dc, 0, 0, 3, 2, SRCCOPY)) << "left to right";
    EXPECT_EQ(2, emuViolationCount());
    EXPECT_EQ(blank(0, 0), dst.at(0, 0)) << "nothing drawn";
    emuClearViolations();
    ASSERT_TRUE(StretchBlt(dst.dc, 2, 1, -3, -2, src.dc, 2, 1, -3, -2, SRCCOPY));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(coordinates(x, y), dst.at(x, y)) << x << "," << y;
    EXPECT_EQ(0, emuViolationCount());
}

TEST_F(BlitTest, TheMagnifierStretch48x63To58x77MapsEveryPixelExactly)
{
    Canvas src(48, 63, coordinates), dst(58, 77, blank);
    ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 58, 77, src.dc, 0, 0, 48, 63, SRCCOPY));
    EXPECT_EQ(58 * 77, emuPixelsCopied(EMU_STRETCHBLT));
    EXPECT_EQ(0, emuPixelsCopied(EMU_BITBLT));

    // Rows and columns each come from one source row or column, in order, each source used once
    // or twice, the first and last kept, and the 10 (14) repeats spread evenly.
    std::vector<int> columns, rows;
    for (int x = 0; x < 58; ++x)
        columns.push_back(sourceX(dst.at(x, 0)));
    for (int y = 0; y < 77; ++y)
        rows.push_back(sourceY(dst.at(0, y)));
    for (int y = 0; y < 77; ++y)
        for (int x = 0; x < 58; ++x)
            ASSERT_EQ(coordinates(columns[x], rows[y]), dst.at(x, y)) << x << "," << y;
    auto checkAxis = [](const std::vector<int> &map, int sourceSize, const char *axis) {
        SCOPED_TRACE(axis);
        EXPECT_EQ(0, map.front());
        EXPECT_EQ(sourceSize - 1, map.back());
        std::vector<int> uses(sourceSize, 0);
        for (size_t i = 0; i < map.size(); ++i) {
            ++uses[map[i]];
            if (i)
                EXPECT_LE(map[i] - map[i - 1], 1) << "no source pixel skipped at " << i;
        }
        for (int s = 0; s < sourceSize; ++s)
            EXPECT_TRUE(uses[s] == 1 || uses[s] == 2) << "source " << s << " used " << uses[s] << " times";
    };
    checkAxis(columns, 48, "columns");
    checkAxis(rows, 63, "rows");
    // Hand-worked samples: column 29 -> floor(59 * 48 / 116) = 24; column 57 -> floor(115 * 48 / 116) = 47;
    // column 2 -> floor(5 * 48 / 116) = 2; column 3 -> floor(7 * 48 / 116) = 2 (the first repeat).
    EXPECT_EQ(24, columns[29]);
    EXPECT_EQ(2, columns[2]);
    EXPECT_EQ(2, columns[3]);
    EXPECT_EQ(1, columns[1]);
    // Row 38 -> floor(77 * 63 / 154) = 31; row 76 -> 62.
    EXPECT_EQ(31, rows[38]);
}

TEST_F(BlitTest, StretchBltClipsToBothSurfaces)
{
    Canvas src(4, 4, coordinates), dst(6, 6, blank);
    // 4x4 -> 8x8 at (-2, -2): destination pixel (x, y) comes from source ((x + 2) / 2, (y + 2) / 2);
    // only 6x6 of it lands.
    ASSERT_TRUE(StretchBlt(dst.dc, -2, -2, 8, 8, src.dc, 0, 0, 4, 4, SRCCOPY));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(coordinates((x + 2) / 2, (y + 2) / 2), dst.at(x, y)) << x << "," << y;
    EXPECT_EQ(36, emuPixelsCopied(EMU_STRETCHBLT));

    // A source rectangle hanging off the source: destination pixels sampling outside stay.
    emuClearPixelCounts();
    Canvas dst2(4, 1, blank);
    ASSERT_TRUE(StretchBlt(dst2.dc, 0, 0, 4, 1, src.dc, 2, 0, 4, 1, SRCCOPY));
    EXPECT_EQ(coordinates(2, 0), dst2.at(0, 0));
    EXPECT_EQ(coordinates(3, 0), dst2.at(1, 0));
    EXPECT_EQ(0xEEEEEEu, dst2.at(2, 0));
    EXPECT_EQ(2, emuPixelsCopied(EMU_STRETCHBLT));
}

TEST_F(BlitTest, StretchBltWithAZeroExtentCopiesNothing)
{
    Canvas src(2, 2, coordinates), dst(2, 2, blank);
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 0, 2, src.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_TRUE(StretchBlt(dst.dc, 0, 0, 2, 2, src.dc, 0, 0, 2, 0, SRCCOPY));
    EXPECT_EQ(0xEEEEEEu, dst.at(0, 0));
    EXPECT_EQ(0, emuPixelsCopied(EMU_STRETCHBLT));
}

// ---- window DCs ----

TEST_F(BlitTest, BlitsThroughAWindowDcSkipCoveredPixelsAndCountOnlyWrittenOnes)
{
    HWND below = plainWindow(0, 0, 20, 10);
    HWND above = plainWindow(10, 0, 20, 10); // covers screen x 10..29
    ASSERT_NE(nullptr, above);
    emuPump();
    HDC screen = GetDC(nullptr);
    COLORREF coveredBefore = GetPixel(screen, 12, 3);

    Canvas src(20, 10, coordinates);
    HDC dc = GetDC(below);
    ASSERT_TRUE(BitBlt(dc, 0, 0, 20, 10, src.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(10 * 10, emuPixelsCopied(EMU_BITBLT)) << "only the uncovered half is written";
    uint32_t p = coordinates(3, 4);
    EXPECT_EQ(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF), GetPixel(screen, 3, 4));
    EXPECT_EQ(coveredBefore, GetPixel(screen, 12, 3));

    ShowWindow(below, SW_HIDE);
    emuClearPixelCounts();
    ASSERT_TRUE(StretchBlt(dc, 0, 0, 20, 10, src.dc, 0, 0, 20, 10, SRCCOPY));
    EXPECT_EQ(0, emuPixelsCopied(EMU_STRETCHBLT)) << "a hidden window shows nothing";
    ReleaseDC(below, dc);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

} // namespace
