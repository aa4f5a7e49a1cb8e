// Drawing contexts and bitmaps: window and memory DCs, selection, creation and deletion, pixels.
#include "drawing/drawing.h"

#include <memory>
#include <unordered_map>

namespace emu {
namespace {

// Largest bitmap the emulation makes, so that a bad size in a resource or a call fails cleanly
// instead of exhausting memory: each side at most 16384, at most 16M pixels (64 MiB) in all.
const long long maxBitmapSide = 16384;
const long long maxBitmapPixels = 1LL << 24;

// The 1x1 monochrome bitmap that every new memory DC holds. Like the platform's stock objects it
// is one object shared by every DC, never counted and never deleted; its handle value lies below
// the handle table's range, so it survives a reset and is never mistaken for a table handle.
const uintptr_t stockBitmapValue = 0x8000;

std::unordered_map<const void *, std::unique_ptr<Bitmap>> bitmaps;
std::unordered_map<const void *, std::unique_ptr<Dc>> dcs;

HBITMAP stockBitmapHandle()
{
    return reinterpret_cast<HBITMAP>(stockBitmapValue);
}

Bitmap freshStockBitmap()
{
    Bitmap b;
    b.width = 1;
    b.height = 1;
    b.pixels.assign(1, 0);
    b.stock = true;
    b.format = FORMAT_MONOCHROME;
    return b;
}

// Made on first use, so that it exists before the first reset too.
Bitmap &stockBitmap()
{
    static Bitmap b = freshStockBitmap();
    return b;
}

COLORREF colorrefOf(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

uint32_t rgbOf(COLORREF c)
{
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// SetPixel maps a colour to the nearer of black and white on a monochrome surface.
uint32_t nearestMonochrome(uint32_t rgb)
{
    unsigned sum = ((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF);
    return sum >= 383 ? 0xFFFFFF : 0;
}

Dc *dcOf(HDC hdc, const char *api)
{
    return static_cast<Dc *>(lookup(hdc, EMU_DC, api));
}

// The DC of a call, or null when an injected failure falls on the call (no violation then).
Dc *dcOfCall(HDC hdc, const char *api)
{
    return failNow(api) ? nullptr : dcOf(hdc, api);
}

// Whether the pixel at DC coordinates (x, y) can be read or written, and where it is.
bool pixelAt(const Target &t, int x, int y, uint32_t **where)
{
    long long ax = (long long)x + t.originX, ay = (long long)y + t.originY;
    if (ax < 0 || ay < 0 || ax >= t.width || ay >= t.height)
        return false;
    if (!t.owns((int)ax, (int)ay))
        return false;
    *where = t.pixels + ay * t.width + ax;
    return true;
}

// A channel of `bits` bits widened to 8 by repeating its bits, so that full scale stays full scale.
uint32_t widened(uint32_t value, int bits)
{
    uint32_t r = value << (8 - bits);
    return r | (r >> bits);
}

} // namespace

uint32_t storedPixel(PixelFormat format, uint32_t rgb)
{
    switch (format) {
    case FORMAT_MONOCHROME:
        return rgb == 0xFFFFFF ? 0xFFFFFF : 0;
    case FORMAT_RGB565:
        return widened((rgb >> 19) & 0x1F, 5) << 16 | widened((rgb >> 10) & 0x3F, 6) << 8 |
               widened((rgb >> 3) & 0x1F, 5);
    default:
        return rgb & 0xFFFFFF;
    }
}

int bitsPerPixel(PixelFormat format)
{
    switch (format) {
    case FORMAT_MONOCHROME:
        return 1;
    case FORMAT_RGB565:
        return 16;
    default:
        return 32;
    }
}

HBITMAP createBitmap(int width, int height, PixelFormat format)
{
    if (width <= 0 || height <= 0 || width > maxBitmapSide || height > maxBitmapSide ||
        (long long)width * height > maxBitmapPixels)
        return nullptr;
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = width;
    bitmap->height = height;
    bitmap->pixels.assign((size_t)width * height, 0);
    bitmap->format = format;
    HBITMAP h = static_cast<HBITMAP>(newHandle(EMU_BITMAP, bitmap.get()));
    bitmaps[h] = std::move(bitmap);
    return h;
}

// A bitmap as GetObjectW describes it: device-dependent rows are padded to 16 bits.
static BITMAP described(const Bitmap &b)
{
    BITMAP bm = {};
    int bits = bitsPerPixel(b.format);
    bm.bmType = 0;
    bm.bmWidth = b.width;
    bm.bmHeight = b.height;
    bm.bmWidthBytes = ((b.width * bits + 15) / 16) * 2;
    bm.bmPlanes = 1;
    bm.bmBitsPixel = (WORD)bits;
    bm.bmBits = nullptr;
    return bm;
}

Bitmap *bitmapOf(HBITMAP bitmap, const char *api)
{
    if (bitmap == stockBitmapHandle())
        return &stockBitmap();
    return static_cast<Bitmap *>(lookup(bitmap, EMU_BITMAP, api));
}

HDC createWindowDc(HWND window, bool fromBeginPaint, const WindowPlacement *placement)
{
    auto dc = std::make_unique<Dc>();
    dc->windowDc = true;
    dc->window = window;
    dc->placement = placement;
    dc->fromBeginPaint = fromBeginPaint;
    HDC h = static_cast<HDC>(newHandle(EMU_DC, dc.get()));
    dcs[h] = std::move(dc);
    return h;
}

bool targetOf(HDC hdc, const char *api, Target *out)
{
    Dc *dc = dcOf(hdc, api);
    if (!dc)
        return false;
    Target t;
    if (dc->windowDc) {
        t.pixels = screenPixels();
        t.width = screenWidth();
        t.height = screenHeight();
        if (dc->window && !dc->placement->clientOrigin(dc->window, &t.originX, &t.originY))
            return false;
        t.clipWindow = dc->window;
        t.placement = dc->placement;
        t.format = screenFormat();
    } else {
        Bitmap *b = bitmapOf(dc->selected, api);
        if (!b)
            return false;
        t.pixels = b->pixels.data();
        t.width = b->width;
        t.height = b->height;
        t.format = b->format;
        t.readOnly = b->readOnly;
    }
    *out = t;
    return true;
}

static void forgetDc(HDC hdc)
{
    freeHandle(hdc);
    dcs.erase(hdc);
}

void dropWindowDcs(HWND window, const char *api)
{
    std::vector<HDC> gone;
    for (auto &d : dcs)
        if (d.second->windowDc && d.second->window == window)
            gone.push_back(static_cast<HDC>(const_cast<void *>(d.first)));
    for (HDC h : gone) {
        violation(api, std::string("window DC ") + (dcs[h]->fromBeginPaint ? "from BeginPaint" : "from GetDC") +
                           " still held when its window was destroyed");
        forgetDc(h);
    }
}

bool releaseWindowDc(HWND window, HDC hdc, const char *api)
{
    Dc *dc = dcOf(hdc, api);
    if (!dc)
        return false;
    if (!dc->windowDc || !dc->fromBeginPaint || dc->window != window)
        return misuse(api, "not the DC that BeginPaint gave for this window", false);
    forgetDc(hdc);
    return true;
}

// The DCs' and bitmaps' part of emuReset, with the pixel counts.
static void resetGraphics()
{
    dcs.clear();
    bitmaps.clear();
    stockBitmap() = freshStockBitmap();
    emuClearPixelCounts();
}
const RoomReset drawingRoomReset(resetGraphics);

} // namespace emu

using namespace emu;

extern "C" {

int WINAPI ReleaseDC(HWND hWnd, HDC hDC)
{
    Dc *dc = dcOfCall(hDC, __func__);
    if (!dc)
        return 0;
    if (!dc->windowDc)
        return misuse(__func__, "a memory DC is deleted with DeleteDC, not released", 0);
    if (dc->fromBeginPaint)
        return misuse(__func__, "a DC from BeginPaint is released by EndPaint", 0);
    if (dc->window != hWnd)
        return misuse(__func__, "the DC belongs to another window", 0);
    forgetDc(hDC);
    return 1;
}

HDC WINAPI CreateCompatibleDC(HDC hdc)
{
    // Null means compatible with the screen; every DC here has the screen's format anyway.
    if (failNow(__func__) || (hdc && !dcOf(hdc, __func__)))
        return nullptr;
    auto dc = std::make_unique<Dc>();
    dc->selected = stockBitmapHandle();
    HDC h = static_cast<HDC>(newHandle(EMU_DC, dc.get()));
    dcs[h] = std::move(dc);
    return h;
}

BOOL WINAPI DeleteDC(HDC hdc)
{
    Dc *dc = dcOfCall(hdc, __func__);
    if (!dc)
        return FALSE;
    if (dc->windowDc)
        return misuse(__func__, "a window DC is released with ReleaseDC or EndPaint, not deleted", FALSE);
    // The bitmap still selected is let go, as the platform does; it can be deleted afterwards.
    if (Bitmap *b = bitmapOf(dc->selected, __func__))
        if (!b->stock)
            --b->selectedCount;
    forgetDc(hdc);
    return TRUE;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int cx, int cy)
{
    Dc *dc = dcOfCall(hdc, __func__);
    if (!dc)
        return nullptr;
    if (cx < 0 || cy < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A zero side gives a 1x1 monochrome bitmap, as documented for the platform.
    if (cx == 0 || cy == 0)
        return createBitmap(1, 1, FORMAT_MONOCHROME);
    // A memory DC makes bitmaps of the format of the bitmap it holds: monochrome while it still
    // holds its stock bitmap. Window and screen DCs make bitmaps of the display's format.
    PixelFormat format = screenFormat();
    if (!dc->windowDc) {
        Bitmap *held = bitmapOf(dc->selected, __func__);
        format = held ? held->format : FORMAT_MONOCHROME;
    }
    HBITMAP h = createBitmap(cx, cy, format);
    if (!h)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return h;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ h)
{
    Dc *dc = dcOfCall(hdc, __func__);
    if (!dc)
        return nullptr;
    HBITMAP handle = static_cast<HBITMAP>(h);
    Bitmap *b = bitmapOf(handle, __func__);
    if (!b)
        return nullptr;
    if (dc->windowDc)
        return misuse(__func__, "a bitmap can only be selected into a memory DC", nullptr);
    if (handle == dc->selected)
        return handle;
    if (!b->stock && b->selectedCount > 0)
        return misuse(__func__, "the bitmap is already selected into another DC", nullptr);
    HBITMAP previous = dc->selected;
    if (Bitmap *old = bitmapOf(previous, __func__))
        if (!old->stock)
            --old->selectedCount;
    if (!b->stock)
        ++b->selectedCount;
    dc->selected = handle;
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ ho)
{
    if (failNow(__func__))
        return FALSE;
    // Stock objects may be deleted harmlessly; nothing happens.
    if (ho == stockBitmapHandle())
        return TRUE;
    Bitmap *b = bitmapOf(static_cast<HBITMAP>(ho), __func__);
    if (!b)
        return FALSE;
    if (b->selectedCount > 0)
        return misuse(__func__, "the bitmap is still selected into a DC", FALSE);
    freeHandle(ho);
    bitmaps.erase(ho);
    return TRUE;
}

int WINAPI GetObjectW(HANDLE h, int c, LPVOID pv)
{
    Bitmap *b = failNow(__func__) ? nullptr : bitmapOf(static_cast<HBITMAP>(h), __func__);
    if (!b)
        return 0;
    if (!pv)
        return (int)sizeof(BITMAP);
    if (c < (int)sizeof(BITMAP))
        return 0;
    *static_cast<BITMAP *>(pv) = described(*b);
    return (int)sizeof(BITMAP);
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y)
{
    Target t;
    uint32_t *p;
    if (failNow(__func__) || !targetOf(hdc, __func__, &t) || !pixelAt(t, x, y, &p))
        return CLR_INVALID;
    return colorrefOf(*p);
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF color)
{
    Target t;
    uint32_t *p;
    if (failNow(__func__) || !targetOf(hdc, __func__, &t) || !pixelAt(t, x, y, &p))
        return CLR_INVALID;
    if (t.readOnly)
        return misuse(__func__, "the bitmap selected is a read-only resource bitmap (LoadBitmapW)", CLR_INVALID);
    uint32_t rgb = rgbOf(color & 0xFFFFFF);
    *p = t.format == FORMAT_MONOCHROME ? nearestMonochrome(rgb) : storedPixel(t.format, rgb);
    return colorrefOf(*p);
}

int emuLiveBitmap(int n, BITMAP *out)
{
    std::vector<const void *> live = liveHandles(EMU_BITMAP);
    if (n < 0 || n >= (int)live.size() || !out)
        return 0;
    *out = described(*static_cast<Bitmap *>(lookup(live[n], EMU_BITMAP, "", true)));
    return 1;
}

DWORD emuBitmapPixel(HBITMAP bitmap, int x, int y)
{
    Bitmap *b =
        bitmap == stockBitmapHandle() ? &stockBitmap() : static_cast<Bitmap *>(lookup(bitmap, EMU_BITMAP, "", true));
    if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height)
        return 0xFFFFFFFF;
    return b->pixels[(size_t)y * b->width + x];
}

} // extern "C"
