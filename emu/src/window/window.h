// Private declarations shared by the window manager's files: classes, windows, z-order, update
// regions, the queue, timers, capture and the screen's ownership map.
#ifndef EMU_WINDOW_H
#define EMU_WINDOW_H

#include <cstdint>
#include <string>
#include <vector>

#include "drawing/drawing.h"

namespace emu {

struct WindowClass {
    ATOM atom = 0;
    HANDLE handle = nullptr; // counted as EMU_CLASS
    std::u16string name;
    HINSTANCE instance = nullptr;
    WNDPROC proc = nullptr;
    UINT style = 0;
    int classExtra = 0;
    int windowExtra = 0;
    int windows = 0; // live windows of the class
};

struct Window {
    HWND handle = nullptr;
    WindowClass *cls = nullptr;
    WNDPROC proc = nullptr;
    HWND parent = nullptr; // WS_CHILD windows only
    HWND owner = nullptr;  // WS_POPUP windows created with a parent window
    bool topmost = false;  // WS_EX_TOPMOST at creation: kept above the other top-level windows
    RECT rect = {};        // parent's client coordinates; screen coordinates for top-level windows
    DWORD style = 0;       // WS_VISIBLE here is the window's own visibility flag
    DWORD exStyle = 0;
    LONG userData = 0;
    std::vector<BYTE> extra; // cbWndExtra bytes
    std::u16string title;
    HINSTANCE instance = nullptr;
    std::vector<HWND> children; // bottom to top

    // Update region as its bounding rectangle in client coordinates; empty when valid.
    RECT update = {};
    bool erase = false;
    // Between BeginPaint and EndPaint: drawing through window DCs is clipped to paintClip.
    int painting = 0;
    RECT paintClip = {};
    // Set by BeginPaint and ValidateRect while a WM_PAINT is dispatched.
    bool paintHandled = false;
    bool destroying = false;
};

// ---- rectangles (rect.cpp) ----
bool rectEmpty(const RECT &r);
RECT intersectRects(const RECT &a, const RECT &b); // empty {0,0,0,0} when they do not overlap
RECT unionRects(const RECT &a, const RECT &b);     // an empty operand is ignored
RECT offsetRect(const RECT &r, int dx, int dy);

// ---- classes (class.cpp) ----
// The class CreateWindowExW makes a window of: by name or atom, the instance's own first.
WindowClass *classForCreate(const WCHAR *name, HINSTANCE instance);

// ---- windows (window.cpp) ----
// A copy of a string argument; empty for null or an integer resource.
std::u16string copyWide(const WCHAR *s);
// The window behind a handle; a null, stale or foreign handle records a violation naming the api
// and sets ERROR_INVALID_WINDOW_HANDLE.
Window *windowOf(HWND hwnd, const char *api);
// The window of a call, or null when an injected failure falls on the call (no violation then).
Window *windowOfCall(HWND hwnd, const char *api);
// The same without a violation, for the emulation's own bookkeeping.
Window *windowQuiet(HWND hwnd);
// Top-level windows, bottom to top.
const std::vector<HWND> &topLevelWindows();
// Whether the window and all its ancestors have WS_VISIBLE: only such windows are on screen.
bool isDrawable(const Window *w);
// The window's rectangle in screen coordinates.
RECT screenRectOf(const Window *w);
// Calls the window procedure (a sent message); 0 for a window that is gone.
LRESULT callWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// DestroyWindow without the fault injection and the handle check; violations name the api.
void destroyWindowNow(HWND hwnd, const char *api);
// Where window DCs draw: the window manager's answers (window.cpp).
extern const WindowPlacement windowPlacement;
// Screen position of the window's client origin; false for a bad handle.
bool clientOrigin(HWND window, int *x, int *y);

// ---- painting (paint.cpp) ----
// Adds a client rectangle (null: the whole client area) to the update region of a window on
// screen; windows that are not drawable keep no update region.
void invalidateWindow(Window *w, const RECT *clientRect, bool erase);
// Invalidates every drawable window whole.
void invalidateAllWindows();
// The first drawable window (matching the filter, null for any) with a non-empty update region, in
// the order WM_PAINT is generated: top-level windows from the top down, each before its children.
HWND windowNeedingPaint(HWND filter);
// Dispatches WM_PAINT to a window; a procedure that neither begins painting nor validates is a
// violation, and its update region is validated so that the queue does not spin.
LRESULT dispatchPaint(HWND hwnd, const char *api);
// Screen-pixel test for drawing during BeginPaint: inside the paint rectangle.
bool insidePaintClip(const Window *w, int screenX, int screenY);

// ---- screen (screen.cpp) ----
// Recomputes which window owns each screen pixel inside the screen rectangle `dirty`. With
// invalidate, every window that now owns pixels it did not own before gets them invalidated, and
// pixels that fell to the desktop are painted with the desktop colour.
void recompose(const RECT &dirty, bool invalidate);
// The topmost drawable window at a screen point, or null (the desktop, or outside the screen).
HWND windowAtScreenPoint(int x, int y);

// ---- messages (message.cpp) ----
void postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
void removeMessagesFor(HWND hwnd);

// ---- timers (timer.cpp) ----
void killTimersOf(HWND hwnd);
// The first timer that has fallen due and not yet been retrieved, matching the filter (null for
// any window; threadOnly: only timers without a window). Removing clears its due flag.
bool takeDueTimer(HWND filter, bool threadOnly, bool remove, MSG *out);
// Whether a WM_TIMER's lParam is the callback of a live timer with that window and id.
bool isTimerCallback(HWND hwnd, UINT_PTR id, LPARAM proc);
// The virtual clock, as GetTickCount reads it without counting a call.
DWORD tickCount();

// ---- pen and capture (pen.cpp) ----
// Releases the capture if the window or one of its descendants holds it; true if it did.
bool releaseCaptureWithin(HWND hwnd);
POINT cursorPosition();

} // namespace emu

#endif // EMU_WINDOW_H
