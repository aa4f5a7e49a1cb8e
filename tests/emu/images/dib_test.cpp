// Tests of the DIB decoder on hand-made bitmaps: bit order, palettes, masks, row order, bad input.
#include <gtest/gtest.h>

#include <climits>
#include <initializer_list>

#include "dib.h"
#include "pebuilder.h"

namespace {

using pebuilder::append16;
using pebuilder::append32;
using pebuilder::Bytes;

// A BITMAPINFOHEADER (or a longer header, zero-padded) with the given fields.
Bytes header(int width, int height, int bits, uint32_t compression = 0, uint32_t colours = 0, uint32_t size = 40,
             int planes = 1)
{
    Bytes b;
    append32(b, size);
    append32(b, (uint32_t)width);
    append32(b, (uint32_t)height);
    append16(b, planes);
    append16(b, bits);
    append32(b, compression);
    append32(b, 0);
    append32(b, 0);
    append32(b, 0);
    append32(b, colours);
    append32(b, 0);
    while (b.size() < size && b.size() < 4096)
        b.push_back(0);
    return b;
}

void append(Bytes &b, std::initializer_list<uint32_t> values, int width = 1)
{
    for (uint32_t v : values) {
        if (width == 1)
            b.push_back((uint8_t)v);
        else if (width == 2)
            append16(b, v);
        else
            append32(b, v);
    }
}

emu::Picture decoded(const Bytes &dib)
{
    emu::Picture p;
    std::string why;
    EXPECT_TRUE(emu::decodePackedDib(dib.data(), dib.size(), &p, &why)) << why;
    return p;
}

std::string rejection(const Bytes &dib)
{
    emu::Picture p;
    std::string why;
    EXPECT_FALSE(emu::decodePackedDib(dib.data(), dib.size(), &p, &why));
    return why;
}

TEST(Dib, OneBitPixelsRunFromTheHighBitAndRowsFromTheBottom)
{
    Bytes b = header(10, 2, 1);
    append(b, {0x000000, 0xFFFFFF}, 4);        // palette: black, white
    append(b, {0b10110000, 0b01000000, 0, 0}); // bottom row: 1 0 1 1 0 0 0 0 | 0 1
    append(b, {0b00000001, 0b10000000, 0, 0}); // top row:    0 0 0 0 0 0 0 1 | 1 0
    emu::Picture p = decoded(b);
    ASSERT_EQ(10, p.width);
    ASSERT_EQ(2, p.height);
    const uint32_t W = 0xFFFFFF, K = 0;
    EXPECT_EQ((std::vector<uint32_t>{K, K, K, K, K, K, K, W, W, K, W, K, W, W, K, K, K, K, K, W}), p.pixels);
}

// Windows CE's four-colour bitmaps: two bits a pixel, the leftmost in the top bits of its byte.
TEST(Dib, TwoBitPixelsTakeTheHighBitsFirst)
{
    Bytes b = header(5, 1, 2);
    append(b, {0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF}, 4);
    append(b, {0b00011011, 0b10000000, 0, 0});
    EXPECT_EQ((std::vector<uint32_t>{0x000000, 0x555555, 0xAAAAAA, 0xFFFFFF, 0xAAAAAA}), decoded(b).pixels);
}

TEST(Dib, FourBitPixelsTakeTheHighNibbleFirst)
{
    Bytes b = header(3, 1, 4, 0, 3); // three colours used
    append(b, {0x112233, 0x445566, 0x778899}, 4);
    append(b, {0x21, 0x00, 0, 0});
    EXPECT_EQ((std::vector<uint32_t>{0x778899, 0x445566, 0x112233}), decoded(b).pixels);
}

TEST(Dib, EightBitIndicesPastTheColourTablePaintBlack)
{
    Bytes b = header(4, 1, 8, 0, 2);
    append(b, {0xA1B2C3, 0x0000FF}, 4);
    append(b, {1, 0, 2, 255});
    EXPECT_EQ((std::vector<uint32_t>{0x0000FF, 0xA1B2C3, 0, 0}), decoded(b).pixels);
}

TEST(Dib, SixteenBitsWithoutMasksAre555AndBitFieldsMayBe565)
{
    Bytes rgb = header(3, 1, 16);
    append(rgb, {0x7C00, 0x0421, 0xFFFF, 0}, 2);
    EXPECT_EQ((std::vector<uint32_t>{0xFF0000, 0x080808, 0xFFFFFF}), decoded(rgb).pixels)
        << "5-bit 1 is 0x08; bit 15 is ignored";

    Bytes fields = header(3, 1, 16, 3);
    append(fields, {0xF800, 0x07E0, 0x001F}, 4);
    append(fields, {0x07E0, 0x0020, 0x8410, 0}, 2);
    EXPECT_EQ((std::vector<uint32_t>{0x00FF00, 0x000400, 0x848284}), decoded(fields).pixels);
}

TEST(Dib, TwentyFourBitRowsArePaddedAndNegativeHeightIsTopDown)
{
    Bytes b = header(2, -2, 24);
    append(b, {0x03, 0x02, 0x01, 0x06, 0x05, 0x04, 0xEE, 0xEE}); // top row, then two bytes of padding
    append(b, {0x09, 0x08, 0x07, 0x0C, 0x0B, 0x0A, 0xEE, 0xEE});
    EXPECT_EQ((std::vector<uint32_t>{0x010203, 0x040506, 0x070809, 0x0A0B0C}), decoded(b).pixels);
}

TEST(Dib, ThirtyTwoBitMasksMayBeWiderThanEightBitsOrAbsent)
{
    Bytes wide = header(2, 1, 32, 3);
    append(wide, {0x3FF00000, 0x000FFC00, 0x000003FF}, 4);
    append(wide, {0x3FF00000 | 0x3FF, 0x00000200 << 10}, 4);
    EXPECT_EQ((std::vector<uint32_t>{0xFF00FF, 0x008000}), decoded(wide).pixels);

    Bytes noRed = header(1, 1, 32, 3);
    append(noRed, {0, 0x0000FF00, 0x000000FF, 0xFFFFFFFF}, 4);
    EXPECT_EQ((std::vector<uint32_t>{0x00FFFF}), decoded(noRed).pixels) << "a zero mask reads as 0";

    Bytes scattered = header(1, 1, 32, 3);
    append(scattered, {0x00FF00FF, 0x0000FF00, 0xFF, 0}, 4);
    EXPECT_NE("", rejection(scattered)) << "a mask with a gap";
}

TEST(Dib, LongerHeadersCarryTheirMasksInside)
{
    // A V4 header: the masks at offset 40 of the header, the bits right after it.
    Bytes v4 = header(2, 1, 16, 3, 0, 108);
    for (int i = 0; i < 3; ++i) {
        uint32_t mask = i == 0 ? 0xF800 : i == 1 ? 0x07E0 : 0x001F;
        for (int k = 0; k < 4; ++k)
            v4[40 + 4 * i + k] = (uint8_t)(mask >> (8 * k));
    }
    append(v4, {0xF81F, 0x07E0}, 2);
    EXPECT_EQ((std::vector<uint32_t>{0xFF00FF, 0x00FF00}), decoded(v4).pixels);

    Bytes v5 = header(1, 1, 24, 0, 0, 124);
    append(v5, {0x30, 0x20, 0x10, 0});
    EXPECT_EQ((std::vector<uint32_t>{0x102030}), decoded(v5).pixels);
}

TEST(Dib, AColourTableBeforeDeepBitsIsSkipped)
{
    Bytes b = header(1, 1, 24, 0, 2); // biClrUsed 2: a table the bits follow
    append(b, {0x111111, 0x222222}, 4);
    append(b, {0x33, 0x22, 0x11, 0});
    EXPECT_EQ((std::vector<uint32_t>{0x112233}), decoded(b).pixels);
}

TEST(Dib, MalformedHeadersAreRejected)
{
    Bytes threeBits = header(1, 1, 3);
    threeBits.resize(threeBits.size() + 64);
    Bytes whole = header(1, 1, 24);
    Bytes cut(whole.begin(), whole.begin() + 39);
    struct {
        const char *what;
        Bytes dib;
    } cases[] = {
        {"empty", {}},
        {"three bytes", {40, 0, 0}},
        {"header cut short", cut},
        {"core header", header(1, 1, 24, 0, 0, 12)},
        {"unknown header size", header(1, 1, 24, 0, 0, 64)},
        {"two planes", header(1, 1, 24, 0, 0, 40, 2)},
        {"three bits per pixel", threeBits},
        {"zero width", header(0, 1, 24)},
        {"negative width", header(-1, 1, 24)},
        {"zero height", header(1, 0, 24)},
        {"most negative height", header(1, INT_MIN, 24)},
        {"run-length 8", header(1, 1, 8, 1)},
        {"run-length 4", header(1, 1, 4, 2)},
        {"unknown compression", header(1, 1, 24, 9)},
        {"bit fields at 24 bits", header(1, 1, 24, 3)},
        {"masks cut short", header(1, 1, 16, 3)},
        {"colour table past the end", header(1, 1, 8, 0, 0xFFFFFFFF)},
        {"wider than the limit", header(16385, 1, 1)},
        {"more pixels than the limit", header(16384, 1025, 1)},
    };
    for (auto &c : cases)
        EXPECT_NE("", rejection(c.dib)) << c.what;
}

TEST(Dib, BitsOneByteShortAreRejected)
{
    Bytes b = header(3, 2, 24);
    b.resize(b.size() + 2 * 12 - 1);
    EXPECT_EQ("truncated bits", rejection(b));
    b.push_back(0);
    emu::Picture p;
    EXPECT_TRUE(emu::decodePackedDib(b.data(), b.size(), &p, nullptr));
}

TEST(Dib, BmpFilesFindTheirBitsAtTheHeaderOffset)
{
    Bytes info = header(1, 1, 24);
    Bytes file = {'B', 'M'};
    append32(file, 0);
    append32(file, 0);
    append32(file, 14 + 40 + 4); // four bytes of gap before the bits
    file.insert(file.end(), info.begin(), info.end());
    append(file, {0xEE, 0xEE, 0xEE, 0xEE, 0x03, 0x02, 0x01, 0});
    emu::Picture p;
    std::string why;
    ASSERT_TRUE(emu::decodeBmpFile(file.data(), file.size(), &p, &why)) << why;
    EXPECT_EQ((std::vector<uint32_t>{0x010203}), p.pixels);

    file[10] = 20; // bits "inside" the header
    EXPECT_FALSE(emu::decodeBmpFile(file.data(), file.size(), &p, &why));
    file[10] = 0xFF; // past the end
    EXPECT_FALSE(emu::decodeBmpFile(file.data(), file.size(), &p, &why));
    file[0] = 'X';
    EXPECT_FALSE(emu::decodeBmpFile(file.data(), file.size(), &p, &why));
}

} // namespace
