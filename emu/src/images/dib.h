// Decoding device-independent bitmaps (packed, as in RT_BITMAP resources, or as .bmp files).
#ifndef EMU_DIB_H
#define EMU_DIB_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emu {

// A decoded picture: 0x00RRGGBB pixels, row-major, top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Largest picture the decoders accept: each side at most 16384 pixels and at most 16M pixels in
// all (64 MiB decoded), the same limits as every bitmap the emulation makes.
const int maxPictureSide = 16384;
const long long maxPicturePixels = 1LL << 24;

// A packed DIB: a BITMAPINFOHEADER (or V4/V5 header), the colour masks or table, then the bits.
// False, with the reason in *why, for anything malformed, truncated, too large or not decoded
// (compressed formats other than bit fields). Never reads outside [data, data + size).
bool decodePackedDib(const uint8_t *data, size_t size, Picture *out, std::string *why);

// A .bmp file: BITMAPFILEHEADER, then a DIB whose bits lie at the header's offset.
bool decodeBmpFile(const uint8_t *data, size_t size, Picture *out, std::string *why);

} // namespace emu

#endif // EMU_DIB_H
