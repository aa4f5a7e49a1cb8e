// Writes palettized DIBs: BITMAPINFOHEADER, colour table, bottom-up rows.
#include "dib.h"

namespace skin {

namespace {

const uint32_t BITMAPINFOHEADER_SIZE = 40;
const uint32_t BITMAPFILEHEADER_SIZE = 14;
const uint32_t BI_RGB = 0;

void put16(std::vector<uint8_t> &out, uint32_t v)
{
    out.push_back((uint8_t)v);
    out.push_back((uint8_t)(v >> 8));
}

void put32(std::vector<uint8_t> &out, uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

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
    put32(out, BITMAPINFOHEADER_SIZE);
    put32(out, (uint32_t)image.width);
    put32(out, (uint32_t)image.height); // positive: bottom-up
    put16(out, 1);                      // planes
    put16(out, (uint32_t)bitsPerPixel);
    put32(out, BI_RGB);
    put32(out, stride * (uint32_t)image.height);
    put32(out, 3780); // 96 dots per inch, in pixels per metre
    put32(out, 3780);
    put32(out, (uint32_t)image.palette.size()); // biClrUsed: only the colours present
    put32(out, 0);
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
    uint32_t colours = dib.size() >= 36 ? (uint32_t)dib[32] | (uint32_t)dib[33] << 8 : 0;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, BITMAPFILEHEADER_SIZE + (uint32_t)dib.size());
    put32(out, 0);
    put32(out, BITMAPFILEHEADER_SIZE + BITMAPINFOHEADER_SIZE + 4 * colours); // offset of the rows
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

} // namespace skin
