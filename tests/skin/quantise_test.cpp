// Palette reduction and DIB encoding: what the device's bitmap loader will read.
#include <gtest/gtest.h>

#include "bytes.h"
#include "canvas.h"
#include "dib.h"
#include "palette.h"

using namespace skin;

namespace {

// A few flat colours pass through untouched, whatever their order of appearance.
TEST(Quantise, FewColoursAreKeptExactly)
{
    Image image(7, 5, 0xBCC3CC);
    fillPixels(image, 1, 1, 4, 3, 0xFF00FF);
    fillPixels(image, 4, 0, 7, 5, 0x15181C);
    image.at(0, 4) = 0x123456;
    Indexed indexed = quantise(image, 16);
    EXPECT_EQ(4u, indexed.palette.size());
    EXPECT_EQ(image.pixels, expand(indexed).pixels);
}

// Anti-aliased edges between large fills: the fills stay exact, the edges close, the palette small.
TEST(Quantise, ManyColoursKeepFillsExactAndEdgesClose)
{
    Image image(200, 60, 0xBCC3CC);
    fillRoundRect(image, {10.3, 5.7, 90.2, 55.1}, 9, 0xFCFCFD);
    fillRoundRect(image, {110.5, 5.2, 190.6, 55.4}, 9, 0x3A82E4);
    strokePolyline(image, {{20, 30}, {80, 12}, {150, 48}, {185, 20}}, false, 3.3, 0x15181C);
    Indexed indexed = quantise(image, 16);
    ASSERT_LE(indexed.palette.size(), 16u);
    Image back = expand(indexed);
    for (uint32_t fill : {0xBCC3CCu, 0xFCFCFDu, 0x3A82E4u, 0x15181Cu}) {
        bool kept = false;
        for (uint32_t p : indexed.palette)
            kept = kept || p == fill;
        EXPECT_TRUE(kept) << std::hex << fill;
    }
    EXPECT_EQ(image.at(0, 0), back.at(0, 0));
    EXPECT_EQ(image.at(50, 45), back.at(50, 45));
    EXPECT_LT(meanColourError(image, back), 2.0);
}

// Rows bottom-up, padded to four bytes, the leftmost pixel in the high nibble, colours as RGBQUADs.
TEST(DibWriter, FourBitRowsAreBottomUpPaddedAndHighNibbleFirst)
{
    Indexed image;
    image.width = 3;
    image.height = 2;
    image.palette = {0x112233, 0x445566, 0x778899};
    image.indices = {0, 1, 2, 2, 1, 0}; // top row, then bottom row
    std::vector<uint8_t> dib = encodeDib(image, 4);
    ASSERT_EQ(40u + 3 * 4 + 2 * 4, dib.size());
    EXPECT_EQ(40u, emu::le32(&dib[0]));
    EXPECT_EQ(3u, emu::le32(&dib[4]));
    EXPECT_EQ(2u, emu::le32(&dib[8])); // positive height: bottom-up
    EXPECT_EQ(4u, (uint32_t)dib[14]);
    EXPECT_EQ(3u, emu::le32(&dib[32])); // colours used
    EXPECT_EQ(0x33u, dib[40]);          // blue first
    EXPECT_EQ(0x22u, dib[41]);
    EXPECT_EQ(0x11u, dib[42]);
    const uint8_t *rows = dib.data() + 40 + 12;
    EXPECT_EQ(0x21, rows[0]); // bottom row: 2 1 0
    EXPECT_EQ(0x00, rows[1]);
    EXPECT_EQ(0x01, rows[4]); // top row: 0 1 2
    EXPECT_EQ(0x20, rows[5]);
    std::vector<uint8_t> file = bmpFile(dib);
    ASSERT_EQ(dib.size() + 14, file.size());
    EXPECT_EQ('B', file[0]);
    EXPECT_EQ(file.size(), emu::le32(&file[2]));
    EXPECT_EQ(14u + 40 + 12, emu::le32(&file[10])); // where the rows start
}

TEST(DibWriter, PaletteSizeChoosesTheFewestBits)
{
    EXPECT_EQ(4, bitsForColours(2));
    EXPECT_EQ(4, bitsForColours(16));
    EXPECT_EQ(8, bitsForColours(17));
}

} // namespace
