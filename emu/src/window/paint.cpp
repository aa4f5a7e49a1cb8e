// Update regions and painting: InvalidateRect, ValidateRect, UpdateWindow, BeginPaint, EndPaint,
// and GetDC, which gives the other window DCs.
#include "window/window.h"

namespace emu {
namespace {

RECT clientRectOf(const Window *w)
{
    return RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
}

// Takes a rectangle out of the update region. The region is kept as its bounding rectangle, so
// only what can be cut off whole goes: the region is emptied when covered, or shortened when the
// rectangle spans it across one side; anything else leaves it as it is (too large, never too small).
void validateWindow(Window *w, const RECT *clientRect)
{
    RECT &u = w->update;
    if (!clientRect) {
        u = RECT{};
        w->erase = false;
        return;
    }
    const RECT &v = *clientRect;
    if (rectEmpty(v) || rectEmpty(u))
        return;
    bool spansX = v.left <= u.left && v.right >= u.right;
    bool spansY = v.top <= u.top && v.bottom >= u.bottom;
    if (spansX && spansY)
        u = RECT{};
    else if (spansX && v.top <= u.top && v.bottom > u.top)
        u.top = v.bottom;
    else if (spansX && v.bottom >= u.bottom && v.top < u.bottom)
        u.bottom = v.top;
    else if (spansY && v.left <= u.left && v.right > u.left)
        u.left = v.right;
    else if (spansY && v.right >= u.right && v.left < u.right)
        u.right = v.left;
    if (rectEmpty(u)) {
        u = RECT{};
        w->erase = false;
    }
}

// Everything BeginPaint does once the fault injection and the checks are past.
HDC beginPaint(HWND hwnd, PAINTSTRUCT *ps)
{
    Window *w = windowQuiet(hwnd);
    w->paintHandled = true;
    HDC dc = createWindowDc(hwnd, true, &windowPlacement);
    if (!dc)
        return nullptr;
    RECT update = w->update;
    bool erase = w->erase;
    w->update = RECT{};
    w->erase = false;
    ++w->painting;
    w->paintClip = update;
    BOOL fErase = FALSE;
    if (erase)
        fErase = callWindowProc(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) == 0;
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    ps->fErase = fErase;
    ps->rcPaint = update;
    return dc;
}

BOOL endPaint(HWND hwnd, const PAINTSTRUCT *ps, const char *api)
{
    // A DC that BeginPaint did not give for this window ends nothing.
    if (!releaseWindowDc(hwnd, ps->hdc, api))
        return FALSE;
    Window *w = windowQuiet(hwnd);
    if (w->painting > 0 && --w->painting == 0)
        w->paintClip = RECT{};
    return TRUE;
}

bool paintOrder(HWND hwnd, HWND filter, HWND *found)
{
    Window *w = windowQuiet(hwnd);
    if (!w || !(w->style & WS_VISIBLE))
        return false;
    if ((!filter || filter == hwnd) && !rectEmpty(w->update)) {
        *found = hwnd;
        return true;
    }
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        if (paintOrder(*it, filter, found))
            return true;
    return false;
}

} // namespace

void invalidateWindow(Window *w, const RECT *clientRect, bool erase)
{
    if (!isDrawable(w))
        return;
    RECT client = clientRectOf(w);
    RECT r = clientRect ? intersectRects(*clientRect, client) : client;
    if (rectEmpty(r))
        return;
    w->update = unionRects(w->update, r);
    if (erase)
        w->erase = true;
}

void invalidateAllWindows()
{
    for (const void *h : liveHandles(EMU_WINDOW))
        if (Window *w = windowQuiet(static_cast<HWND>(const_cast<void *>(h))))
            invalidateWindow(w, nullptr, true);
}

HWND windowNeedingPaint(HWND filter)
{
    const std::vector<HWND> &top = topLevelWindows();
    HWND found = nullptr;
    for (auto it = top.rbegin(); it != top.rend(); ++it)
        if (paintOrder(*it, filter, &found))
            return found;
    return nullptr;
}

LRESULT dispatchPaint(HWND hwnd, const char *api)
{
    Window *w = windowQuiet(hwnd);
    if (!w)
        return 0;
    w->paintHandled = false;
    LRESULT result = callWindowProc(hwnd, WM_PAINT, 0, 0);
    w = windowQuiet(hwnd);
    if (w && !w->paintHandled && !rectEmpty(w->update) && isDrawable(w)) {
        violation(api, "WM_PAINT handled without BeginPaint or ValidateRect; the window would be sent "
                       "WM_PAINT forever");
        validateWindow(w, nullptr);
    }
    return result;
}

bool insidePaintClip(const Window *w, int screenX, int screenY)
{
    RECT origin = screenRectOf(w);
    int x = screenX - origin.left, y = screenY - origin.top;
    const RECT &c = w->paintClip;
    return x >= c.left && x < c.right && y >= c.top && y < c.bottom;
}

} // namespace emu

using namespace emu;

extern "C" {

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT *lpRect, BOOL bErase)
{
    // On the device a null window takes no action.
    if (failNow(__func__) || !hWnd)
        return FALSE;
    Window *w = windowOf(hWnd, __func__);
    if (!w)
        return FALSE;
    invalidateWindow(w, lpRect, bErase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT *lpRect)
{
    if (failNow(__func__))
        return FALSE;
    // The device does not support a null window here.
    if (!hWnd)
        return misuse(__func__, "a null window is not supported on the device", ERROR_INVALID_WINDOW_HANDLE, FALSE);
    Window *w = windowOf(hWnd, __func__);
    if (!w)
        return FALSE;
    w->paintHandled = true;
    validateWindow(w, lpRect);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND hWnd)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return FALSE;
    if (isDrawable(w) && !rectEmpty(w->update))
        dispatchPaint(hWnd, __func__);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd)
{
    // GetDC(NULL) is the DC of the whole screen.
    if (failNow(__func__) || (hWnd && !lookup(hWnd, EMU_WINDOW, __func__)))
        return nullptr;
    return createWindowDc(hWnd, false, &windowPlacement);
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint)
{
    if (failNow(__func__)) {
        // The caller tried: the dispatch does not count the paint as ignored.
        if (Window *w = windowQuiet(hWnd))
            w->paintHandled = true;
        return nullptr;
    }
    if (!windowOf(hWnd, __func__))
        return nullptr;
    if (!lpPaint)
        return misuse(__func__, "null PAINTSTRUCT", ERROR_INVALID_PARAMETER, nullptr);
    return beginPaint(hWnd, lpPaint);
}

BOOL WINAPI EndPaint(HWND hWnd, const PAINTSTRUCT *lpPaint)
{
    // The device documents EndPaint as always succeeding: misuse is recorded, the result stays TRUE.
    failNow(__func__);
    if (!windowOf(hWnd, __func__))
        return TRUE;
    if (!lpPaint)
        violation(__func__, "null PAINTSTRUCT");
    else
        endPaint(hWnd, lpPaint, __func__);
    return TRUE;
}

LRESULT WINAPI DefWindowProcW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    failNow(__func__); // the default procedure cannot fail: only counted
    if (!windowOf(hWnd, __func__))
        return 0;
    switch (Msg) {
    case WM_PAINT: {
        // Validates what was invalid, drawing nothing.
        PAINTSTRUCT ps;
        if (beginPaint(hWnd, &ps) && windowQuiet(hWnd))
            endPaint(hWnd, &ps, __func__);
        return 0;
    }
    case WM_CLOSE:
        destroyWindowNow(hWnd, __func__);
        return 0;
    default:
        // WM_ERASEBKGND included: classes have no background brush here, so nothing is erased and
        // BeginPaint reports fErase.
        return 0;
    }
}

} // extern "C"
