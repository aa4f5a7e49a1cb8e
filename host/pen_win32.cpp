// The pen on desktop Windows: mouse messages posted to the panel's window under a screen point,
// with real time passing while messages are pumped.
#include "host.h"

// The window that gets the pen at a screen point: the one holding the capture, else the host's
// child under the point (the panel's keyboard), else the host's own window.
static HWND penTarget(HWND hostWindow, POINT screen)
{
    HWND captured = GetCapture();
    if (captured)
        return captured;
    POINT client = screen;
    ScreenToClient(hostWindow, &client);
    HWND child = ChildWindowFromPoint(hostWindow, client);
    return child ? child : hostWindow;
}

static void postPen(HWND hostWindow, UINT msg, WPARAM keys, int x, int y)
{
    POINT point = {x, y};
    HWND target = penTarget(hostWindow, point);
    ScreenToClient(target, &point);
    PostMessageW(target, msg, keys, MAKELPARAM(point.x, point.y));
}

void InputPanelHost::pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void InputPanelHost::penDown(int x, int y)
{
    postPen(window_, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    pump();
}

void InputPanelHost::penMove(int x, int y)
{
    postPen(window_, WM_MOUSEMOVE, MK_LBUTTON, x, y);
    pump();
}

void InputPanelHost::penUp(int x, int y)
{
    postPen(window_, WM_LBUTTONUP, 0, x, y);
    pump();
}

void InputPanelHost::hover(int x, int y)
{
    postPen(window_, WM_MOUSEMOVE, 0, x, y);
    pump();
}

void InputPanelHost::advance(DWORD ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        pump();
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= ms)
            break;
        DWORD left = ms - elapsed;
        Sleep(left < 5 ? left : 5);
    }
    pump();
}
