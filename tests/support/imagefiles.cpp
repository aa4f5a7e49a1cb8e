// Writes test image files with libpng, giflib and libjpeg-turbo.
#include "imagefiles.h"

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>

#include <algorithm>
#include <map>

namespace imagefiles {

Bytes png(int width, int height, const Colours &colour)
{
    return pngWithAlpha(width, height, colour, nullptr);
}

Bytes pngWithAlpha(int width, int height, const Colours &colour, const std::function<uint8_t(int, int)> &alpha)
{
    int channels = alpha ? 4 : 3;
    std::vector<uint8_t> pixels((size_t)width * height * channels);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t *p = &pixels[((size_t)y * width + x) * channels];
            uint32_t c = colour(x, y);
            p[0] = (uint8_t)(c >> 16);
            p[1] = (uint8_t)(c >> 8);
            p[2] = (uint8_t)c;
            if (alpha)
                p[3] = alpha(x, y);
        }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = (png_uint_32)width;
    image.height = (png_uint_32)height;
    image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, nullptr);
    Bytes out(size);
    if (!png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr))
        return {};
    out.resize(size);
    return out;
}

namespace {

int appendGif(GifFileType *gif, const GifByteType *data, int length)
{
    Bytes *out = static_cast<Bytes *>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

} // namespace

Bytes gif(int width, int height, const Colours &colour, int frames, int transparentIndex, bool interlaced)
{
    std::map<uint32_t, int> index;
    std::vector<GifColorType> palette;
    std::vector<GifPixelType> pixels((size_t)width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = colour(x, y);
            auto it = index.find(c);
            if (it == index.end()) {
                it = index.emplace(c, (int)palette.size()).first;
                palette.push_back(GifColorType{(GifByteType)(c >> 16), (GifByteType)(c >> 8), (GifByteType)c});
            }
            pixels[(size_t)y * width + x] = (GifPixelType)it->second;
        }
    int bits = 1;
    while ((1 << bits) < (int)palette.size())
        ++bits;
    palette.resize((size_t)1 << bits, GifColorType{0, 0, 0});
    ColorMapObject *map = GifMakeMapObject((int)palette.size(), palette.data());
    Bytes out;
    int error = 0;
    GifFileType *file = EGifOpen(&out, appendGif, &error);
    EGifSetGifVersion(file, true);
    EGifPutScreenDesc(file, width, height, bits, 0, map);
    for (int f = 0; f < frames; ++f) {
        if (f == 0 && transparentIndex >= 0) {
            GifByteType control[4] = {1, 0, 0, (GifByteType)transparentIndex};
            EGifPutExtension(file, GRAPHICS_EXT_FUNC_CODE, 4, control);
        }
        EGifPutImageDesc(file, 0, 0, width, height, interlaced, nullptr);
        static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < (interlaced ? 4 : 1); ++pass)
            for (int y = interlaced ? start[pass] : 0; y < height; y += interlaced ? step[pass] : 1)
                EGifPutLine(file, &pixels[(size_t)y * width], width);
    }
    EGifCloseFile(file, &error);
    GifFreeMapObject(map);
    return out;
}

Bytes jpeg(int width, int height, const Colours &colour, int quality)
{
    std::vector<uint8_t> rgb((size_t)width * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t c = colour(x, y);
            uint8_t *p = &rgb[((size_t)y * width + x) * 3];
            p[0] = (uint8_t)(c >> 16);
            p[1] = (uint8_t)(c >> 8);
            p[2] = (uint8_t)c;
        }
    tjhandle encoder = tjInitCompress();
    unsigned char *data = nullptr;
    unsigned long size = 0;
    int rc = tjCompress2(encoder, rgb.data(), width, 0, height, TJPF_RGB, &data, &size, TJSAMP_444, quality, 0);
    Bytes out;
    if (rc == 0)
        out.assign(data, data + size);
    tjFree(data);
    tjDestroy(encoder);
    return out;
}

} // namespace imagefiles
