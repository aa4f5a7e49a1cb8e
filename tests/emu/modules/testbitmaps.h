// The bitmaps of the test resource modules: one per DIB format, with the colours each must decode to.
#ifndef KWENO_TESTS_EMU_TESTBITMAPS_H
#define KWENO_TESTS_EMU_TESTBITMAPS_H

#include <cstdint>

namespace testbitmaps {

// biCompression values.
const int rgb = 0;
const int bitfields = 3;

// One bitmap resource. Pixel (x, y), counted from the top, holds value number index(x, y) of
// `stored`: a palette colour (0x00RRGGBB) for 1, 4 and 8 bits, otherwise the raw pixel value
// (a 16-bit word, a 24-bit 0xRRGGBB, a 32-bit double word). `expected` is what that value must
// decode to, worked out by hand from the format, not by the decoder's arithmetic.
struct Format {
    unsigned id;
    const char *file;
    int headerSize; // 40, 108 (V4) or 124 (V5)
    int bitsPerPixel;
    int compression;
    bool topDown;
    int width;
    int height;
    uint32_t masks[3]; // red, green, blue, for bit fields
    int count;         // values used
    const uint32_t *stored;
    const uint32_t *expected;
};

inline int index(const Format &f, int x, int y)
{
    return (x * (y + 1) + y / 2) % f.count;
}

static const uint32_t palette1[] = {0x123456, 0xFEDCBA};
static const uint32_t palette4[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
// Fewer colours than 256 (biClrUsed = 20): the bits start right after these.
static const uint32_t palette8[] = {0x010203, 0x102030, 0x203040, 0x304050, 0x405060, 0x506070, 0x607080,
                                    0x708090, 0x8090A0, 0x90A0B0, 0xA0B0C0, 0xB0C0D0, 0xC0D0E0, 0xD0E0F0,
                                    0xE0F0FF, 0xF0FF00, 0xFF0011, 0x001122, 0x112233, 0x223344};

// 5-5-5: a 5-bit channel v becomes (v << 3) | (v >> 2); bit 15 means nothing.
static const uint32_t stored555[] = {0x0000, 0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x4210, 0x0421, 0x5294, 0x801F};
static const uint32_t expected555[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF,
                                       0x848484, 0x080808, 0xA5A5A5, 0x0000FF};
// 5-6-5: green has 6 bits, v becomes (v << 2) | (v >> 4).
static const uint32_t stored565[] = {0x0000, 0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0020, 0xF81F};
static const uint32_t expected565[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x848284, 0x000400, 0xFF00FF};
static const uint32_t stored24[] = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xABCDEF};
// 32-bit without masks: the top byte is unused and may hold anything.
static const uint32_t stored32[] = {0xFF102030, 0x00FF0000, 0x7F00FF00, 0x000000FF, 0x80ABCDEF};
static const uint32_t expected32[] = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF, 0xABCDEF};
// 32-bit with red in the low byte and blue in the third.
static const uint32_t storedRgbx[] = {0x00302010, 0x000000FF, 0xFF00FF00, 0x00FF0000};
static const uint32_t expectedRgbx[] = {0x102030, 0xFF0000, 0x00FF00, 0x0000FF};
// 32-bit with 10-bit channels: the top 8 bits of each count.
static const uint32_t stored1010[] = {0x3FFFFFFF, 0x20000000, 0x00080000, 0x00000155, 0x00000000};
static const uint32_t expected1010[] = {0xFFFFFF, 0x800000, 0x008000, 0x000055, 0x000000};

static const Format formats[] = {
    {101, "pal1", 40, 1, rgb, false, 13, 4, {0, 0, 0}, 2, palette1, palette1},
    {102, "pal4", 40, 4, rgb, false, 5, 4, {0, 0, 0}, 16, palette4, palette4},
    {103, "pal8", 40, 8, rgb, false, 7, 4, {0, 0, 0}, 20, palette8, palette8},
    {104, "pal8down", 40, 8, rgb, true, 7, 4, {0, 0, 0}, 20, palette8, palette8},
    {105, "rgb555", 40, 16, rgb, false, 7, 4, {0, 0, 0}, 9, stored555, expected555},
    {106, "fields555", 40, 16, bitfields, false, 7, 4, {0x7C00, 0x03E0, 0x001F}, 9, stored555, expected555},
    {107, "fields565", 40, 16, bitfields, false, 7, 4, {0xF800, 0x07E0, 0x001F}, 8, stored565, expected565},
    {108, "rgb24", 40, 24, rgb, false, 7, 4, {0, 0, 0}, 5, stored24, stored24},
    {109, "rgb24down", 40, 24, rgb, true, 7, 4, {0, 0, 0}, 5, stored24, stored24},
    {110, "rgb32", 40, 32, rgb, false, 7, 4, {0, 0, 0}, 5, stored32, expected32},
    {111,
     "fieldsRgbx",
     40,
     32,
     bitfields,
     false,
     7,
     4,
     {0x000000FF, 0x0000FF00, 0x00FF0000},
     4,
     storedRgbx,
     expectedRgbx},
    {112,
     "fields1010",
     40,
     32,
     bitfields,
     false,
     7,
     4,
     {0x3FF00000, 0x000FFC00, 0x000003FF},
     5,
     stored1010,
     expected1010},
    {113, "v4fields565", 108, 16, bitfields, false, 7, 4, {0xF800, 0x07E0, 0x001F}, 8, stored565, expected565},
    {114, "v5rgb32down", 124, 32, rgb, true, 7, 4, {0, 0, 0}, 5, stored32, expected32},
    {115,
     "v5fieldsRgbx",
     124,
     32,
     bitfields,
     false,
     7,
     4,
     {0x000000FF, 0x0000FF00, 0x00FF0000},
     4,
     storedRgbx,
     expectedRgbx},
};

// Other resources of the modules: a bitmap under a name; a whole .bmp file as RCDATA, a PNG as
// RCDATA and under a type of its own name, where the shell's loader does not look; a PNG, a GIF and
// a JPEG under "GIF", where it does. Each format's .bmp file also stands under "GIF" with the
// format's id. All image files show the rgb24 picture (the JPEG nearly).
const unsigned bmpFileId = 120;
const unsigned pngId = 121;
const unsigned pngTypedId = 122;
const unsigned gifPngId = 123;
const unsigned gifGifId = 124;
const unsigned gifJpegId = 125;
const char *const namedBitmap = "Logo";

} // namespace testbitmaps

#endif // KWENO_TESTS_EMU_TESTBITMAPS_H
