// Image resources as bitmaps: LoadBitmapW (RT_BITMAP) and the shell's SHLoadImageResource.
#include "core.h"
#include "dib.h"
#include "pe.h"

#include <aygshell.h>
#include <png.h>

#include <cstring>

namespace emu {
namespace {

const WORD resourceTypeBitmap = 2; // RT_BITMAP

const uint8_t pngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// A PNG resource, composited onto black where it is transparent (a bitmap has no alpha).
bool decodePng(const uint8_t *data, size_t size, Picture *out)
{
    if (size < sizeof pngSignature || memcmp(data, pngSignature, sizeof pngSignature) != 0)
        return false;
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return false;
    if (image.width == 0 || image.height == 0 || image.width > (png_uint_32)maxPictureSide ||
        image.height > (png_uint_32)maxPictureSide || (long long)image.width * image.height > maxPicturePixels) {
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    png_color black = {0, 0, 0};
    if (!png_image_finish_read(&image, &black, rgb.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    out->width = (int)image.width;
    out->height = (int)image.height;
    out->pixels.resize((size_t)out->width * out->height);
    for (size_t i = 0; i < out->pixels.size(); ++i)
        out->pixels[i] = ((uint32_t)rgb[3 * i] << 16) | ((uint32_t)rgb[3 * i + 1] << 8) | rgb[3 * i + 2];
    return true;
}

// A new colour bitmap holding the picture, counted like any other.
HBITMAP bitmapOfPicture(const Picture &picture, const char *api)
{
    HBITMAP h = createBitmap(picture.width, picture.height);
    if (!h) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    bitmapOf(h, api)->pixels = picture.pixels;
    return h;
}

// What the shell's loader accepts besides RT_BITMAP: a whole .bmp file or a PNG, under any
// resource type. Other formats (GIF, JPEG) are not decoded.
bool decodeImageFile(const uint8_t *data, size_t size, Picture *out)
{
    return decodeBmpFile(data, size, out, nullptr) || decodePng(data, size, out);
}

} // namespace
} // namespace emu

using namespace emu;

extern "C" {

HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName)
{
    if (failNow("LoadBitmapW"))
        return nullptr;
    // A null instance asks for the system's predefined bitmaps, which the emulation lacks.
    if (!hInstance) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const uint8_t *data;
    size_t size;
    if (!findResource(hInstance, resourceNameOf(RT_BITMAP), resourceNameOf(lpBitmapName), "LoadBitmapW", &data,
                      &size)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    Picture picture;
    if (!decodePackedDib(data, size, &picture, nullptr)) {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return nullptr;
    }
    return bitmapOfPicture(picture, "LoadBitmapW");
}

HBITMAP WINAPI SHLoadImageResource(HINSTANCE hinst, UINT uIdImageFile)
{
    if (failNow("SHLoadImageResource"))
        return nullptr;
    if (uIdImageFile > 0xFFFF) {
        // Resource ids are 16 bits; a larger one names nothing.
        lookup(hinst, EMU_MODULE, "SHLoadImageResource");
        return nullptr;
    }
    std::vector<FoundResource> found = resourcesWithId(hinst, (WORD)uIdImageFile, "SHLoadImageResource");
    // A bitmap resource first, then the image files of any other type in the module's order.
    Picture picture;
    for (const FoundResource &r : found)
        if (r.type.isId && r.type.id == resourceTypeBitmap && decodePackedDib(r.data, r.size, &picture, nullptr))
            return bitmapOfPicture(picture, "SHLoadImageResource");
    for (const FoundResource &r : found)
        if (!(r.type.isId && r.type.id == resourceTypeBitmap) && decodeImageFile(r.data, r.size, &picture))
            return bitmapOfPicture(picture, "SHLoadImageResource");
    return nullptr;
}

} // extern "C"
