// The decoders of PNG, GIF and JPEG files behind decodeImageFile, and what they share with it. A
// build has one set: the desktop's libraries (decoders.cpp), or stb_image where those do
// not build (decoders_wasm.cpp, WebAssembly).
#ifndef EMU_DECODERS_H
#define EMU_DECODERS_H

#include <cstddef>
#include <cstdint>

#include "images/imagefile.h"

namespace emu {

// Each fills info as far as it read (size, frames, transparency), also when it fails.
bool decodePng(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info);
bool decodeGif(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info);
bool decodeJpeg(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info);

// False, with the problem noted.
bool failWith(ImageFileInfo *info, const char *problem);
// The size limits every decoded picture keeps, checked before its pixels are allocated.
bool sizeAllowed(long long width, long long height);
// A black picture of that size.
void startPicture(Picture *out, int width, int height);
// A channel of a pixel with coverage alpha, over black; inline, as it runs for every channel of
// every pixel decoded.
inline uint32_t overBlack(uint32_t value, uint32_t alpha)
{
    return (value * alpha + 127) / 255;
}

} // namespace emu

#endif // EMU_DECODERS_H
