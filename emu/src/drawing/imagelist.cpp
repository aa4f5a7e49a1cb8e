// Image lists: equal-sized images with their masks, copied from bitmaps (commctrl subset).
#include "drawing/drawing.h"

#include <memory>
#include <unordered_map>

namespace emu {
namespace {

// Largest image side accepted, like every bitmap of the emulation.
const int maxImageSide = 16384;
// And at most 64M pixels in all the images of one list.
const size_t maxListPixels = (size_t)1 << 26;

// How a list keeps the colours of its images.
enum ListColours { LIST_SYSTEM_PALETTE, LIST_RGB565, LIST_RGB888 };

// The system's 16-colour palette, which a 4-bit list maps every colour to.
const uint32_t systemPalette[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                                    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

struct ImageList {
    int cx = 0;
    int cy = 0;
    UINT flags = 0;
    ListColours colours = LIST_RGB888;
    int count = 0;
    std::vector<uint32_t> pixels;     // image k at [k * cx * cy], row-major
    std::vector<uint8_t> transparent; // 1 where the mask lets the background through
};

std::unordered_map<const void *, std::unique_ptr<ImageList>> lists;

ImageList *listOf(HIMAGELIST himl, const char *api, bool quiet = false)
{
    return static_cast<ImageList *>(lookup(himl, EMU_IMAGELIST, api, quiet));
}

uint32_t rgbOf(COLORREF c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Without a colour flag the device makes a 4-bit list (ILC_COLOR4); 16 bits and the display's own
// format (ILC_COLORDDB, 16 bits here) keep 5-6-5; the deeper formats keep 24-bit colour.
ListColours coloursOf(UINT flags)
{
    switch (flags & ILC_COLORDDB) {
    case ILC_COLOR:
    case ILC_COLOR4:
        return LIST_SYSTEM_PALETTE;
    case ILC_COLOR16:
        return LIST_RGB565;
    case ILC_COLORDDB:
        return screenFormat() == FORMAT_RGB565 ? LIST_RGB565 : LIST_RGB888;
    default:
        return LIST_RGB888;
    }
}

// The nearest colour of the system palette, by distance in RGB.
uint32_t nearestSystemColour(uint32_t rgb)
{
    uint32_t best = 0;
    long bestDistance = -1;
    for (uint32_t c : systemPalette) {
        long dr = (long)((rgb >> 16) & 0xFF) - (long)((c >> 16) & 0xFF);
        long dg = (long)((rgb >> 8) & 0xFF) - (long)((c >> 8) & 0xFF);
        long db = (long)(rgb & 0xFF) - (long)(c & 0xFF);
        long distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            best = c;
            bestDistance = distance;
        }
    }
    return best;
}

uint32_t keptColour(const ImageList &list, uint32_t rgb)
{
    switch (list.colours) {
    case LIST_SYSTEM_PALETTE:
        return nearestSystemColour(rgb);
    case LIST_RGB565:
        return storedPixel(FORMAT_RGB565, rgb);
    default:
        return rgb;
    }
}

} // namespace

static void resetImageLists()
{
    lists.clear();
}
const RoomReset imageListsReset(resetImageLists);

} // namespace emu

using namespace emu;

extern "C" {

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow)
{
    (void)cInitial; // capacity hints only: the list grows as images come
    (void)cGrow;
    if (failNow(__func__))
        return nullptr;
    if (cx <= 0 || cy <= 0 || cx > maxImageSide || cy > maxImageSide || (long long)cx * cy > (1LL << 24))
        return nullptr;
    auto list = std::make_unique<ImageList>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->colours = coloursOf(flags);
    HIMAGELIST h = static_cast<HIMAGELIST>(newHandle(EMU_IMAGELIST, list.get()));
    lists[h] = std::move(list);
    return h;
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST himl)
{
    if (failNow(__func__) || !listOf(himl, __func__))
        return FALSE;
    freeHandle(himl);
    lists.erase(himl);
    return TRUE;
}

int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask)
{
    ImageList *list = failNow(__func__) ? nullptr : listOf(himl, __func__);
    if (!list)
        return -1;
    Bitmap *b = bitmapOf(hbmImage, __func__);
    if (!b)
        return -1;
    // The bitmap holds as many images side by side as its width allows.
    int added = b->width / list->cx;
    if (added <= 0)
        return -1;
    // CLR_DEFAULT takes the top-left pixel's colour as the transparent one; CLR_NONE has none.
    const COLORREF clrNone = 0xFFFFFFFF, clrDefault = 0xFF000000;
    bool masked = (list->flags & ILC_MASK) && crMask != clrNone;
    uint32_t key = crMask == clrDefault ? b->pixels[0] : rgbOf(crMask & 0xFFFFFF);

    size_t imageSize = (size_t)list->cx * list->cy;
    size_t first = (size_t)list->count * imageSize;
    if (first + added * imageSize > maxListPixels)
        return -1;
    list->pixels.resize(first + added * imageSize, 0);
    list->transparent.resize(first + added * imageSize, 0);
    for (int k = 0; k < added; ++k) {
        for (int y = 0; y < list->cy; ++y) {
            for (int x = 0; x < list->cx; ++x) {
                size_t at = first + k * imageSize + (size_t)y * list->cx + x;
                // Rows below a bitmap shorter than the images are empty: transparent if masked.
                bool inside = y < b->height;
                uint32_t rgb = inside ? b->pixels[(size_t)y * b->width + k * list->cx + x] : 0;
                bool clear = masked && (!inside || rgb == key);
                // Transparent pixels are black in the image, so that drawing through the mask
                // shows only the background there; that black is made in the caller's bitmap,
                // which a read-only resource bitmap cannot take, so its mask colour stays.
                list->pixels[at] = keptColour(*list, clear && !b->readOnly ? 0 : rgb);
                list->transparent[at] = clear;
            }
        }
    }
    // The device blackens the mask-colour pixels of the bitmap passed in, where it can be drawn into.
    if (masked && !b->readOnly)
        for (int y = 0; y < b->height; ++y)
            for (int x = 0; x < added * list->cx; ++x) {
                uint32_t &p = b->pixels[(size_t)y * b->width + x];
                if (p == key)
                    p = 0;
            }
    int index = list->count;
    list->count += added;
    return index;
}

int WINAPI ImageList_GetImageCount(HIMAGELIST himl)
{
    if (failNow(__func__))
        return 0;
    ImageList *list = listOf(himl, __func__);
    return list ? list->count : 0;
}

DWORD emuImageListPixel(HIMAGELIST imageList, int image, int x, int y)
{
    ImageList *list = listOf(imageList, "", true);
    if (!list || image < 0 || image >= list->count || x < 0 || y < 0 || x >= list->cx || y >= list->cy)
        return 0xFFFFFFFF;
    size_t at = (size_t)image * list->cx * list->cy + (size_t)y * list->cx + x;
    return list->transparent[at] ? EMU_TRANSPARENT : list->pixels[at];
}

} // extern "C"
