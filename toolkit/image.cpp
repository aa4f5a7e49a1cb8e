// Pictures as PNG files and bytes, through libpng's simplified interface.
#include "image.h"

#include <cstring>

#include <png.h>

static std::vector<unsigned char> toRgb(const Image &image)
{
    std::vector<unsigned char> rgb(image.pixels.size() * 3);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t p = image.pixels[i];
        rgb[i * 3] = static_cast<unsigned char>(p >> 16);
        rgb[i * 3 + 1] = static_cast<unsigned char>(p >> 8);
        rgb[i * 3 + 2] = static_cast<unsigned char>(p);
    }
    return rgb;
}

static png_image describe(const Image &image)
{
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png;
}

bool writePng(const Image &image, const std::string &path, std::string *error)
{
    if (image.width <= 0 || image.height <= 0) {
        *error = "empty picture";
        return false;
    }
    std::vector<unsigned char> rgb = toRgb(image);
    png_image png = describe(image);
    if (!png_image_write_to_file(&png, path.c_str(), 0, rgb.data(), 0, nullptr)) {
        *error = png.message;
        png_image_free(&png);
        return false;
    }
    return true;
}

bool encodePng(const Image &image, std::vector<unsigned char> *bytes)
{
    if (image.width <= 0 || image.height <= 0)
        return false;
    std::vector<unsigned char> rgb = toRgb(image);
    png_image png = describe(image);
    png_alloc_size_t size = 0;
    // The first call measures, the second writes.
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgb.data(), 0, nullptr))
        return false;
    bytes->resize(size);
    if (!png_image_write_to_memory(&png, bytes->data(), &size, 0, rgb.data(), 0, nullptr))
        return false;
    bytes->resize(size);
    return true;
}

bool readPng(const std::string &path, Image *image)
{
    png_image png;
    memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return false;
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    *image = Image(static_cast<int>(png.width), static_cast<int>(png.height));
    for (size_t i = 0; i < image->pixels.size(); ++i)
        image->pixels[i] = (uint32_t)rgb[i * 3] << 16 | (uint32_t)rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
    return true;
}
