// The pen: capture (SetCapture, ReleaseCapture, GetCapture) and pen input injected by the host.
#include "window/window.h"

namespace emu {
namespace {

HWND capture = nullptr;
POINT cursor = {0, 0};

// Takes the capture away from its holder, telling it who has it now.
void changeCapture(HWND to)
{
    HWND from = capture;
    capture = to;
    if (from && from != to && windowQuiet(from))
        callWindowProc(from, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(to));
}

bool disabled(const Window *w)
{
    for (; w; w = windowQuiet(w->parent))
        if (w->style & WS_DISABLED)
            return true;
    return false;
}

// Pen input goes to the capturing window, else to the topmost window under the point (none if
// that window is disabled), in its client coordinates, which may be negative.
void pen(UINT message, WPARAM keys, int x, int y)
{
    cursor = POINT{x, y};
    HWND target = capture;
    if (!target) {
        target = windowAtScreenPoint(x, y);
        if (target && disabled(windowQuiet(target)))
            target = nullptr;
    }
    int ox = 0, oy = 0;
    if (target && clientOrigin(target, &ox, &oy))
        postMessage(target, message, keys, MAKELPARAM(x - ox, y - oy));
    emuPump();
}

} // namespace

bool releaseCaptureWithin(HWND hwnd)
{
    for (HWND h = capture; h; h = windowQuiet(h) ? windowQuiet(h)->parent : nullptr)
        if (h == hwnd) {
            changeCapture(nullptr);
            return true;
        }
    return false;
}

POINT cursorPosition()
{
    return cursor;
}

static void resetPen()
{
    capture = nullptr;
    cursor = POINT{0, 0};
}
const RoomReset penReset(resetPen);

} // namespace emu

using namespace emu;

extern "C" {

HWND WINAPI SetCapture(HWND hWnd)
{
    // A null window lets the capture go, as ReleaseCapture does.
    if (failNow(__func__) || (hWnd && !windowOf(hWnd, __func__)))
        return nullptr;
    HWND previous = capture;
    changeCapture(hWnd);
    return previous;
}

BOOL WINAPI ReleaseCapture(void)
{
    if (failNow(__func__))
        return FALSE;
    // Releasing when nobody holds the capture succeeds.
    changeCapture(nullptr);
    return TRUE;
}

HWND WINAPI GetCapture(void)
{
    failNow(__func__); // only counted
    return capture;
}

void emuPenDown(int x, int y)
{
    pen(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
}
void emuPenMove(int x, int y)
{
    pen(WM_MOUSEMOVE, MK_LBUTTON, x, y);
}
void emuPenUp(int x, int y)
{
    pen(WM_LBUTTONUP, 0, x, y);
}
void emuHover(int x, int y)
{
    pen(WM_MOUSEMOVE, 0, x, y);
}

} // extern "C"
