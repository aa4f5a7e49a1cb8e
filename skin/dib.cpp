// Writes palettized DIBs: BITMAPINFOHEADER, colour table, bottom-up rows.
#include "dib.h"

#include "bytes.h"

namespace skin {

namespace {

const uint32_t BITMAPINFOHEADER_SIZE = 40;
const uint32_t BITMAPFILEHEADER_SIZE = 14;
const uint32_t BI_RGB = 0;

} // namespace

// One bit per pixel is left out: some loaders turn such a bitmap into black and white.
int bitsForColours(size_t colours)
{
    return colours <= 16 ? 4 : 8;
}

std::vector<uint8_t> encodeDib(const Indexed &image, int bitsPerPixel)
{
    uint32_t stride = (uint32_t)(((image.width * bitsPerPixel + 31) / 32) * 4);
    std::vector<uint8_t> out;
    emu::append32(out, BITMAPINFOHEADER_SIZE);
    emu::append32(out, (uint32_t)image.width);
    emu::append32(out, (uint32_t)image.height); // positive: bottom-up
    emu::append16(out, 1);                      // planes
    emu::append16(out, (uint32_t)bitsPerPixel);
    emu::append32(out, BI_RGB);
    emu::append32(out, stride * (uint32_t)image.height);
    emu::append32(out, 3780); // 96 dots per inch, in pixels per metre
    emu::append32(out, 3780);
    emu::append32(out, (uint32_t)image.palette.size()); // biClrUsed: only the colours present
    emu::append32(out, 0);
    for (uint32_t colour : image.palette) {
        out.push_back((uint8_t)colour); // RGBQUAD: blue, green, red, reserved
        out.push_back((uint8_t)(colour >> 8));
        out.push_back((uint8_t)(colour >> 16));
        out.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < image.width; ++x) {
            uint8_t index = image.indices[(size_t)y * image.width + x];
            int bit = x * bitsPerPixel;
            // The leftmost pixel sits in the most significant bits of its byte.
            row[bit / 8] |= (uint8_t)(index << (8 - bitsPerPixel - bit % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> bmpFile(const std::vector<uint8_t> &dib)
{
    uint32_t colours = dib.size() >= 36 ? emu::le16(&dib[32]) : 0;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    emu::append32(out, BITMAPFILEHEADER_SIZE + (uint32_t)dib.size());
    emu::append32(out, 0);
    emu::append32(out, BITMAPFILEHEADER_SIZE + BITMAPINFOHEADER_SIZE + 4 * colours); // offset of the rows
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

} // namespace skin
