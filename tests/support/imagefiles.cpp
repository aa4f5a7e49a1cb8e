// Writes test image files with libpng, the tools' GIF encoder and libjpeg-turbo.
#include "imagefiles.h"

#include <png.h>
#include <turbojpeg.h>

#include "gifencoder.h"

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

Bytes gif(int width, int height, const Colours &colour, int frames, int transparentIndex, bool interlaced)
{
    Image picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.at(x, y) = colour(x, y);
    GifFrame frame;
    frame.picture = quantise(picture, 256);
    frame.interlaced = interlaced;
    std::vector<GifFrame> all(frames, frame);
    all[0].transparent = transparentIndex;
    return encodeGif(GifLayout{width, height, frame.picture.palette, true, false}, all);
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
