// Shared bookkeeping of the emulation: handles, violations, fault injection, and the contract
// between the window manager (window.cpp, message.cpp, timer.cpp, paint.cpp, screen.cpp, pen.cpp) and
// the graphics side (dc.cpp, bitblt.cpp, dib.cpp, module.cpp).
#ifndef EMU_CORE_H
#define EMU_CORE_H

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>
#include <commctrl.h>

#include "emu.h"

namespace emu {

// ---- handles ----
// Every object handed out is a handle in one table. A handle value is never reused within a
// reset, so a stale handle is always recognised.
void *newHandle(EmuKind kind, void *object);
// The object behind a handle of the given kind, or null. A null, stale or foreign handle records
// a violation naming the api (unless quiet) and returns null.
void *lookup(const void *handle, EmuKind kind, const char *api, bool quiet = false);
// Whether the handle is live and of the kind (no violation).
bool isLive(const void *handle, EmuKind kind);
// Drops the handle; later lookups of it fail as stale.
void freeHandle(const void *handle);
// Called by emuReset: forget every handle.
void resetHandles();
// Sequence number of a live handle (for emuMark); 0 if unknown.
long long handleSerial(const void *handle);
long long currentSerial();
// Live handles of a kind.
std::vector<const void *> liveHandles(EmuKind kind);

// ---- violations ----
void violation(const char *api, const std::string &what);

// ---- fault injection ----
// Counts a call of the named function; true when an armed failure falls on this call.
bool failNow(const char *api);

// ---- strings ----
std::string utf8(const WCHAR *s);
std::u16string utf16(const char *utf8);
size_t wideLength(const WCHAR *s);
// Case-insensitive comparison of UTF-16 strings (ASCII letters folded), as class names compare.
bool wideEqualNoCase(const WCHAR *a, const WCHAR *b);

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

// What a DC draws onto.
struct Dc {
    bool windowDc = false; // GetDC / BeginPaint
    HWND window = nullptr; // for a window DC
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
    PixelFormat format = FORMAT_RGB888;
    bool readOnly = false; // a LoadBitmapW bitmap: nothing may be drawn into it
};

// Provided by the graphics side (dc.cpp).
HDC createWindowDc(HWND window, bool fromBeginPaint);
bool targetOf(HDC dc, const char *api, Target *out);
Bitmap *bitmapOf(HBITMAP bitmap, const char *api);
HBITMAP createBitmap(int width, int height, PixelFormat format = FORMAT_RGB888); // counted as a live bitmap
// Drops every window DC of a destroyed window (recording a violation for each not released).
void dropWindowDcs(HWND window);
// Releases a window DC made by createWindowDc (EndPaint's half of BeginPaint). False, with a
// violation naming the api, when the DC is not a live window DC of that window.
bool releaseWindowDc(HWND window, HDC dc, const char *api);

// Provided by the window side (window.cpp, screen.cpp).
uint32_t *screenPixels();
PixelFormat screenFormat();
int screenWidth();
int screenHeight();
// Whether a screen pixel belongs to the visible region of the window (the topmost visible window
// there, children clipping their parents). While the window is between BeginPaint and EndPaint,
// only pixels inside its paint rectangle count, so a paint DC draws within the update region.
bool windowOwnsScreenPixel(HWND window, int x, int y);
// Screen position of the window's client origin; false for a bad handle.
bool clientOrigin(HWND window, int *x, int *y);
// Marks the screen changed (for screenshots, nothing else).
void screenChanged();

// ---- reset: each area forgets everything it holds (emuReset calls them in this order) ----
void resetWindows();    // window side: windows, classes, queue, timers, capture, clock, screen
void resetGraphics();   // dc.cpp / bitblt.cpp: DCs, bitmaps, pixel counters
void resetModules();    // module.cpp: loaded modules, image lists
void resetFiles();      // files.cpp: the device's own files and folders, folder mappings
void resetImageLists(); // imagelist.cpp, called by resetModules
void resetRegistry();   // registry.cpp
void resetProcesses();  // process.cpp
void resetCore();       // core.cpp: handles, violations, armed failures, call counts

// Provided by timer.cpp: the virtual clock.
DWORD tickCount();

} // namespace emu

#endif // EMU_CORE_H
