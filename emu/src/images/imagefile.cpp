// Whole image files: recognised by their signature, bounded in size, and decoded by this build's
// decoders (decoders.h) or, for .bmp files, by the DIB reader.
#include "images/imagefile.h"

#include <cstring>

#include "images/decoders.h"

namespace emu {
namespace {

const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

bool startsWith(const uint8_t *data, size_t size, const void *prefix, size_t length)
{
    return size >= length && memcmp(data, prefix, length) == 0;
}

ImageFormat formatOf(const uint8_t *data, size_t size)
{
    if (startsWith(data, size, pngSignature, sizeof pngSignature))
        return IMAGE_PNG;
    if (startsWith(data, size, "GIF87a", 6) || startsWith(data, size, "GIF89a", 6))
        return IMAGE_GIF;
    if (startsWith(data, size, "\xFF\xD8\xFF", 3))
        return IMAGE_JPEG;
    if (startsWith(data, size, "BM", 2))
        return IMAGE_BMP;
    return IMAGE_UNKNOWN;
}

// ---- BMP ----

bool decodeBmp(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    info->frames = 1;
    if (!decodeBmpFile(data, size, out, &info->problem))
        return false;
    info->width = out->width;
    info->height = out->height;
    return true;
}

} // namespace

bool failWith(ImageFileInfo *info, const char *problem)
{
    info->problem = problem;
    return false;
}

bool sizeAllowed(long long width, long long height)
{
    return width > 0 && height > 0 && width <= maxPictureSide && height <= maxPictureSide &&
           width * height <= maxPicturePixels;
}

void startPicture(Picture *out, int width, int height)
{
    out->width = width;
    out->height = height;
    out->pixels.assign((size_t)width * height, 0);
}

const char *imageFormatName(ImageFormat format)
{
    switch (format) {
    case IMAGE_BMP:
        return "BMP";
    case IMAGE_PNG:
        return "PNG";
    case IMAGE_GIF:
        return "GIF";
    case IMAGE_JPEG:
        return "JPEG";
    default:
        return "unknown";
    }
}

bool decodeImageFile(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    ImageFileInfo scratch;
    if (!info)
        info = &scratch;
    *info = ImageFileInfo();
    *out = Picture();
    if (!data || size == 0)
        return failWith(info, "the resource is empty");
    info->format = formatOf(data, size);
    bool ok;
    switch (info->format) {
    case IMAGE_PNG:
        ok = decodePng(data, size, out, info);
        break;
    case IMAGE_GIF:
        ok = decodeGif(data, size, out, info);
        break;
    case IMAGE_JPEG:
        ok = decodeJpeg(data, size, out, info);
        break;
    case IMAGE_BMP:
        ok = decodeBmp(data, size, out, info);
        break;
    default:
        return failWith(info, "no image file (neither PNG, GIF, JPEG nor BMP)");
    }
    if (!ok)
        *out = Picture();
    return ok;
}

} // namespace emu
