// Private declarations of the drawing room: pixels and bitmaps, DCs and what they draw onto, the
// display, and what the window manager tells it about windows.
#ifndef EMU_DRAWING_H
#define EMU_DRAWING_H

#include <cstdint>
#include <vector>

#include "core/core.h"

namespace emu {

// ---- pixels ----
// Pixels are kept as 0x00RRGGBB whatever the format; a format stores only what its bits hold.
enum PixelFormat {
    // One bit per pixel: every pixel is 0x000000 or 0xFFFFFF. Blits into it keep only white (the
    // source's background colour) as white; everything else becomes black.
    FORMAT_MONOCHROME,
    // The display's 16 bits (5-6-5): each channel truncated to its bits and widened again by
    // repeating them, as the display reads back what it stored.
    FORMAT_RGB565,
    // 24-bit colour in 32 bits: every value kept.
    FORMAT_RGB888,
};

// The value a surface of the format stores for a colour.
uint32_t storedPixel(PixelFormat format, uint32_t rgb);
int bitsPerPixel(PixelFormat format);

struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // row-major, top-down
    bool stock = false;           // the 1x1 bitmap every new memory DC holds
    int selectedCount = 0;        // DCs holding it selected
    PixelFormat format = FORMAT_RGB888;
    // A bitmap of a module's resources, which the device does not copy into RAM (LoadBitmapW): it
    // can be selected and copied from, never drawn into.
    bool readOnly = false;
};

// Where a window DC draws: the window manager, which makes window DCs, says where a window's
// client origin lies on the display (false for a window that is gone) and which pixels it may draw.
struct WindowPlacement {
    bool (*clientOrigin)(HWND window, int *x, int *y);
    bool (*ownsPixel)(HWND window, int x, int y);
};

// What a DC draws onto.
struct Dc {
    bool windowDc = false; // GetDC / BeginPaint
    HWND window = nullptr; // for a window DC
    const WindowPlacement *placement = nullptr;
    bool fromBeginPaint = false;
    HBITMAP selected = nullptr; // memory DC: bitmap selected now (stock at creation)
};

// A drawing target as the blits see it: a pixel array and, for a window DC, the window whose
// visible region clips every write. Origin is where the DC's (0,0) lies in the pixel array.
struct Target {
    uint32_t *pixels = nullptr;
    int width = 0;
    int height = 0;
    int originX = 0;
    int originY = 0;
    HWND clipWindow = nullptr; // null: the whole array
    const WindowPlacement *placement = nullptr;
    PixelFormat format = FORMAT_RGB888;
    bool readOnly = false; // a LoadBitmapW bitmap: nothing may be drawn into it

    // Whether the pixel of the array at (x, y) may be read or written through the DC.
    bool owns(int x, int y) const { return !clipWindow || placement->ownsPixel(clipWindow, x, y); }
};

// ---- bitmaps and DCs (dc.cpp) ----
// A window DC of the window (null: the whole display), counted until released.
HDC createWindowDc(HWND window, bool fromBeginPaint, const WindowPlacement *placement);
bool targetOf(HDC dc, const char *api, Target *out);
Bitmap *bitmapOf(HBITMAP bitmap, const char *api);
HBITMAP createBitmap(int width, int height, PixelFormat format = FORMAT_RGB888); // counted as a live bitmap
// Drops every window DC of a destroyed window, recording a violation under the api for each one
// not released.
void dropWindowDcs(HWND window, const char *api);
// Releases a window DC made by createWindowDc (EndPaint's half of BeginPaint). False, with a
// violation naming the api, when the DC is not a live window DC of that window.
bool releaseWindowDc(HWND window, HDC dc, const char *api);

// ---- the display (display.cpp) ----
uint32_t *screenPixels();
PixelFormat screenFormat();
int screenWidth();
int screenHeight();
// What the display holds where no window is.
uint32_t desktopPixel();
// A fresh picture of the size (each side at most 4096) and format: the desktop's colour everywhere.
void setDisplay(int width, int height, PixelFormat format);
// Paints the whole display with the desktop's new colour.
void setDesktop(uint32_t rgb);
// The display as it starts. The window manager's reset of the screen calls it, keeping its map of
// which window owns each pixel the display's size.
void resetDisplay();

} // namespace emu

#endif // EMU_DRAWING_H
