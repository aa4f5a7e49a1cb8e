// PNG, GIF and JPEG files decoded by stb_image, where the desktop's libraries do not build
// (WebAssembly). Problems are named as decoders.cpp names them, so that the skin checker
// says the same of a file in either build.
#include "images/decoders.h"

#include <cstdlib>
#include <cstring>

#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_PNG
#define STBI_ONLY_GIF
#define STBI_ONLY_JPEG
#define STBI_ASSERT(x) ((x) ? (void)0 : abort())
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace emu {
namespace {

// The names a format's problems go by.
struct Problems {
    const char *header, *tooLarge, *data;
};
const Problems pngProblems = {"the PNG header cannot be read", "the picture is too large",
                              "the PNG data is truncated or corrupt"};
const Problems gifProblems = {"the GIF header cannot be read", "the picture is too large or empty",
                              "the GIF data is truncated or corrupt"};
const Problems jpegProblems = {"the JPEG header cannot be read", "the picture is too large",
                               "the JPEG data is truncated or corrupt"};

// The header's size, checked against the limits before stb_image allocates anything.
bool readHeader(const uint8_t *data, size_t size, const Problems &problems, ImageFileInfo *info)
{
    int width = 0, height = 0, channels = 0;
    if (size > (size_t)INT32_MAX || !stbi_info_from_memory(data, (int)size, &width, &height, &channels))
        return failWith(info, problems.header);
    info->width = width;
    info->height = height;
    if (!sizeAllowed(width, height))
        return failWith(info, problems.tooLarge);
    return true;
}

// The first picture of rgba (4 bytes a pixel), each pixel over black.
void takeRgba(const stbi_uc *rgba, int width, int height, Picture *out, ImageFileInfo *info)
{
    startPicture(out, width, height);
    for (size_t i = 0; i < out->pixels.size(); ++i) {
        const stbi_uc *p = &rgba[4 * i];
        if (p[3] != 255)
            info->transparent = true;
        out->pixels[i] = overBlack(p[0], p[3]) << 16 | overBlack(p[1], p[3]) << 8 | overBlack(p[2], p[3]);
    }
}

// stb_image reads a GIF's screen without its colour table; giflib refuses a header cut inside it.
bool gifColourTableComplete(const uint8_t *data, size_t size)
{
    const size_t screenEnd = 13;
    if (size < screenEnd)
        return false;
    uint8_t flags = data[10];
    size_t table = (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0;
    return size >= screenEnd + table;
}

// A picture of one frame: a PNG or a JPEG.
bool decodeStill(const uint8_t *data, size_t size, const Problems &problems, Picture *out, ImageFileInfo *info)
{
    if (!readHeader(data, size, problems, info))
        return false;
    info->frames = 1;
    int width, height, channels;
    stbi_uc *rgba = stbi_load_from_memory(data, (int)size, &width, &height, &channels, 4);
    if (!rgba)
        return failWith(info, problems.data);
    takeRgba(rgba, width, height, out, info);
    stbi_image_free(rgba);
    return true;
}

} // namespace

bool decodePng(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    return decodeStill(data, size, pngProblems, out, info);
}

bool decodeGif(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    if (!gifColourTableComplete(data, size))
        return failWith(info, gifProblems.header);
    if (!readHeader(data, size, gifProblems, info))
        return false;
    // Every frame is decoded; the first is the picture.
    int width, height, frames, channels;
    int *delays = nullptr;
    stbi_uc *rgba = stbi_load_gif_from_memory(data, (int)size, &delays, &width, &height, &frames, &channels, 4);
    stbi_image_free(delays);
    if (!rgba)
        return failWith(info, gifProblems.data);
    info->frames = frames;
    takeRgba(rgba, width, height, out, info);
    stbi_image_free(rgba);
    return true;
}

bool decodeJpeg(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    return decodeStill(data, size, jpegProblems, out, info);
}

} // namespace emu
