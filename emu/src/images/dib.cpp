// Decoding device-independent bitmaps: 1-, 2-, 4-, 8-bit palettes, 16/32-bit masks, 24-bit, any header.
#include "images/dib.h"
#include "bytes.h"

#include <climits>

namespace emu {
namespace {

// Compression values of BITMAPINFOHEADER.biCompression.
const uint32_t BI_RGB = 0;
const uint32_t BI_RLE8 = 1;
const uint32_t BI_RLE4 = 2;
const uint32_t BI_BITFIELDS = 3;
const uint32_t BI_ALPHABITFIELDS = 6; // Windows CE: four masks, alpha ignored here

// Header sizes: BITMAPINFOHEADER, its V2 and V3 extensions (masks inside), BITMAPV4HEADER and
// BITMAPV5HEADER.
const uint32_t infoHeaderSize = 40;

struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

// A mask must be one run of set bits (or zero, for a channel that is always 0).
bool channelOf(uint32_t mask, Channel *c)
{
    c->mask = mask;
    c->shift = 0;
    c->bits = 0;
    if (!mask)
        return true;
    while (!(mask & 1)) {
        mask >>= 1;
        ++c->shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++c->bits;
    }
    return mask == 0;
}

// Scales a channel of n bits to 8 by repeating its bits, so that full scale stays full scale:
// 5-bit 31 becomes 255, 6-bit 32 becomes 130. Wider channels keep their top 8 bits.
uint32_t channelValue(uint32_t pixel, const Channel &c)
{
    if (!c.bits)
        return 0;
    uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8)
        return v >> (c.bits - 8);
    uint32_t r = 0;
    int filled = 0;
    while (filled < 8) {
        r = (r << c.bits) | v;
        filled += c.bits;
    }
    return r >> (filled - 8);
}

struct Layout {
    uint32_t headerSize = 0;
    int width = 0;
    int height = 0; // absolute
    bool topDown = false;
    int bitsPerPixel = 0;
    uint32_t compression = 0;
    Channel red, green, blue;
    uint64_t tableOffset = 0; // colour table, from the start of the header
    uint64_t tableEntries = 0;
    uint64_t packedBitsOffset = 0; // where the bits start in a packed DIB
};

bool readMasks(const uint8_t *at, Layout *l, std::string *why)
{
    if (!channelOf(le32(at), &l->red) || !channelOf(le32(at + 4), &l->green) || !channelOf(le32(at + 8), &l->blue))
        return fail(why, "colour mask is not one run of bits");
    return true;
}

bool readLayout(const uint8_t *dib, size_t size, Layout *l, std::string *why)
{
    if (size < 4)
        return fail(why, "truncated header");
    l->headerSize = le32(dib);
    switch (l->headerSize) {
    case 40:
    case 52:
    case 56:
    case 108:
    case 124:
        break;
    case 12:
        return fail(why, "BITMAPCOREHEADER is not decoded");
    default:
        return fail(why, "unknown header size");
    }
    if (size < l->headerSize)
        return fail(why, "truncated header");
    int32_t width = (int32_t)le32(dib + 4);
    int32_t height = (int32_t)le32(dib + 8);
    uint16_t planes = le16(dib + 12);
    l->bitsPerPixel = le16(dib + 14);
    l->compression = le32(dib + 16);
    uint32_t colorsUsed = le32(dib + 32);

    if (planes != 1)
        return fail(why, "planes is not 1");
    if (width <= 0 || height == 0 || height == INT_MIN)
        return fail(why, "bad dimensions");
    l->width = width;
    l->topDown = height < 0;
    l->height = height < 0 ? -height : height;
    if (l->width > maxPictureSide || l->height > maxPictureSide || (long long)l->width * l->height > maxPicturePixels)
        return fail(why, "larger than the emulation's bitmap limit");

    int bpp = l->bitsPerPixel;
    // Two bits per pixel (four colours) is a depth of Windows CE that desktop Windows lacks.
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return fail(why, "unsupported bit count");

    uint64_t afterHeader = l->headerSize;
    if (l->compression == BI_RLE8 || l->compression == BI_RLE4)
        return fail(why, "run-length compression is not decoded");
    if (l->compression == BI_BITFIELDS || l->compression == BI_ALPHABITFIELDS) {
        if (bpp != 16 && bpp != 32)
            return fail(why, "bit fields need 16 or 32 bits per pixel");
        if (l->headerSize == infoHeaderSize) {
            // The masks follow a plain BITMAPINFOHEADER.
            uint64_t maskBytes = l->compression == BI_ALPHABITFIELDS ? 16 : 12;
            if (size < afterHeader + maskBytes)
                return fail(why, "truncated colour masks");
            if (!readMasks(dib + afterHeader, l, why))
                return false;
            afterHeader += maskBytes;
        } else if (!readMasks(dib + 40, l, why)) {
            return false;
        }
    } else if (l->compression != BI_RGB) {
        return fail(why, "unknown compression");
    } else if (bpp == 16) {
        channelOf(0x7C00, &l->red); // 5-5-5
        channelOf(0x03E0, &l->green);
        channelOf(0x001F, &l->blue);
    } else if (bpp == 32) {
        channelOf(0xFF0000, &l->red);
        channelOf(0x00FF00, &l->green);
        channelOf(0x0000FF, &l->blue);
    }

    // A colour table is there for palette formats, and also for deeper ones when biClrUsed says
    // so (an optimisation hint that the bits still follow).
    l->tableOffset = afterHeader;
    l->tableEntries = colorsUsed ? colorsUsed : (bpp <= 8 ? (1u << bpp) : 0);
    l->packedBitsOffset = afterHeader + l->tableEntries * 4;
    if (l->tableEntries * 4 > size - afterHeader)
        return fail(why, "truncated colour table");
    return true;
}

uint32_t tableColour(const uint8_t *dib, const Layout &l, uint32_t index)
{
    if (index >= l.tableEntries)
        return 0; // an index past the table paints black
    const uint8_t *q = dib + l.tableOffset + (uint64_t)index * 4;
    return ((uint32_t)q[2] << 16) | ((uint32_t)q[1] << 8) | q[0];
}

uint32_t pixelOf(const uint8_t *dib, const Layout &l, const uint8_t *row, int x)
{
    switch (l.bitsPerPixel) {
    case 1:
        return tableColour(dib, l, (row[x >> 3] >> (7 - (x & 7))) & 1);
    case 2:
        return tableColour(dib, l, (row[x >> 2] >> (6 - 2 * (x & 3))) & 3);
    case 4:
        return tableColour(dib, l, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
    case 8:
        return tableColour(dib, l, row[x]);
    case 24: {
        const uint8_t *p = row + 3 * x;
        return ((uint32_t)p[2] << 16) | ((uint32_t)p[1] << 8) | p[0];
    }
    default: {
        uint32_t v = l.bitsPerPixel == 16 ? le16(row + 2 * x) : le32(row + 4 * x);
        return (channelValue(v, l.red) << 16) | (channelValue(v, l.green) << 8) | channelValue(v, l.blue);
    }
    }
}

bool decodeBits(const uint8_t *dib, size_t size, const Layout &l, uint64_t bitsOffset, Picture *out, std::string *why)
{
    uint64_t stride = (((uint64_t)l.width * l.bitsPerPixel + 31) / 32) * 4;
    if (bitsOffset > size || stride * l.height > size - bitsOffset)
        return fail(why, "truncated bits");
    out->width = l.width;
    out->height = l.height;
    out->pixels.assign((size_t)l.width * l.height, 0);
    for (int y = 0; y < l.height; ++y) {
        // Rows are stored bottom-up unless the height was negative.
        int stored = l.topDown ? y : l.height - 1 - y;
        const uint8_t *row = dib + bitsOffset + stride * stored;
        uint32_t *target = &out->pixels[(size_t)y * l.width];
        for (int x = 0; x < l.width; ++x)
            target[x] = pixelOf(dib, l, row, x);
    }
    return true;
}

} // namespace

bool decodePackedDib(const uint8_t *data, size_t size, Picture *out, std::string *why)
{
    Layout l;
    if (!data)
        return fail(why, "no data");
    if (!readLayout(data, size, &l, why))
        return false;
    return decodeBits(data, size, l, l.packedBitsOffset, out, why);
}

bool decodeBmpFile(const uint8_t *data, size_t size, Picture *out, std::string *why)
{
    const size_t fileHeaderSize = 14;
    if (!data || size < fileHeaderSize || data[0] != 'B' || data[1] != 'M')
        return fail(why, "not a BMP file");
    uint32_t bitsAt = le32(data + 10);
    const uint8_t *dib = data + fileHeaderSize;
    size_t dibSize = size - fileHeaderSize;
    Layout l;
    if (!readLayout(dib, dibSize, &l, why))
        return false;
    if (bitsAt < fileHeaderSize + l.headerSize)
        return fail(why, "bits offset inside the header");
    return decodeBits(dib, dibSize, l, bitsAt - fileHeaderSize, out, why);
}

} // namespace emu
