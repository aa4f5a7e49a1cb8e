// Image resources as bitmaps: LoadBitmapW (RT_BITMAP) and the shell's SHLoadImageResource (image files under "GIF").
#include "modules/modules.h"

#include "drawing/drawing.h"
#include "images/dib.h"
#include "images/imagefile.h"

#include <aygshell.h>
#include <emu.h>

#include <cstdio>
#include <cstring>

namespace emu {
namespace {

// The shell's loader looks only under the resource type named "GIF", whatever the picture's format.
const ResourceName imageFileType{false, 0, u"GIF"};

ResourceName idName(WORD id)
{
    return ResourceName{true, id, {}};
}

// No bitmap, and why: the loaders set the last error as a program's SetLastError call would.
HBITMAP noBitmap(DWORD error)
{
    SetLastError(error);
    return nullptr;
}

// A new colour bitmap holding the picture, counted like any other.
HBITMAP bitmapOfPicture(const Picture &picture, const char *api)
{
    HBITMAP h = createBitmap(picture.width, picture.height);
    if (!h)
        return noBitmap(ERROR_NOT_ENOUGH_MEMORY);
    bitmapOf(h, api)->pixels = picture.pixels;
    return h;
}

} // namespace
} // namespace emu

using namespace emu;

extern "C" {

HBITMAP WINAPI LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName)
{
    if (failNow(__func__))
        return nullptr;
    // A null instance asks for the system's predefined bitmaps, which the emulation lacks.
    if (!hInstance)
        return noBitmap(ERROR_RESOURCE_NAME_NOT_FOUND);
    const uint8_t *data;
    size_t size;
    if (!findResource(hInstance, resourceNameOf(RT_BITMAP), resourceNameOf(lpBitmapName), __func__, &data, &size))
        return noBitmap(ERROR_RESOURCE_NAME_NOT_FOUND);
    Picture picture;
    if (!decodePackedDib(data, size, &picture, nullptr))
        return noBitmap(ERROR_RESOURCE_DATA_NOT_FOUND);
    HBITMAP bitmap = bitmapOfPicture(picture, __func__);
    // The device maps the resource's bits where they lie instead of copying them into RAM.
    if (bitmap)
        bitmapOf(bitmap, __func__)->readOnly = true;
    return bitmap;
}

HBITMAP WINAPI SHLoadImageResource(HINSTANCE hinst, UINT uIdImageFile)
{
    if (failNow(__func__))
        return nullptr;
    if (uIdImageFile > 0xFFFF) {
        // Resource ids are 16 bits; a larger one names nothing.
        lookup(hinst, EMU_MODULE, __func__);
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const uint8_t *data;
    size_t size;
    if (!findResource(hinst, imageFileType, idName((WORD)uIdImageFile), __func__, &data, &size))
        return noBitmap(ERROR_RESOURCE_NAME_NOT_FOUND);
    Picture picture;
    if (!decodeImageFile(data, size, &picture, nullptr))
        return noBitmap(ERROR_RESOURCE_DATA_NOT_FOUND);
    return bitmapOfPicture(picture, __func__);
}

int emuInspectImageResource(HMODULE module, unsigned id, EmuImageResource *out)
{
    if (!out)
        return 0;
    memset(out, 0, sizeof *out);
    if (!lookup(module, EMU_MODULE, __func__))
        return 0;
    if (id > 0xFFFF)
        return 1;
    const uint8_t *data;
    size_t size;
    const char *api = __func__;
    out->bitmap = findResource(module, resourceNameOf(RT_BITMAP), idName((WORD)id), api, &data, &size);
    out->cutOff = resourceCutOff(module, imageFileType, idName((WORD)id), api) ||
                  resourceCutOff(module, resourceNameOf(RT_BITMAP), idName((WORD)id), api);
    if (!findResource(module, imageFileType, idName((WORD)id), api, &data, &size))
        return 1;
    out->imageFile = 1;
    out->size = size;
    Picture picture;
    ImageFileInfo info;
    out->decodes = decodeImageFile(data, size, &picture, &info);
    snprintf(out->format, sizeof out->format, "%s", imageFormatName(info.format));
    out->width = info.width;
    out->height = info.height;
    out->frames = info.frames;
    out->transparent = info.transparent;
    snprintf(out->problem, sizeof out->problem, "%s", info.problem.c_str());
    return 1;
}

} // extern "C"
