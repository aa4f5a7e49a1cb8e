// Windows: creation, destruction, z-order, showing, moving, styles.
#include "window/window.h"

#include <algorithm>
#include <memory>
#include <unordered_map>

namespace emu {
namespace {

// Error codes of the window manager that windows.h does not spell out for the panel.
const DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
const DWORD ERROR_TLW_WITH_WSCHILD = 1406;
const DWORD ERROR_INVALID_INDEX = 1413;
const DWORD ERROR_INVALID_MENU_HANDLE = 1401;

const WPARAM SIZE_RESTORED = 0;

std::vector<HWND> topLevel; // bottom to top
// Every live window, owned here; the handle table only points at them.
std::unordered_map<HWND, std::unique_ptr<Window>> windows;

// Speeds up the per-pixel clip test of window DCs; cleared whenever a window goes.
HWND cachedHandle = nullptr;
Window *cachedWindow = nullptr;

std::vector<HWND> &siblingsOf(Window *w)
{
    if (w->parent) {
        Window *p = windowQuiet(w->parent);
        if (p)
            return p->children;
    }
    return topLevel;
}

// Puts a top-level window at the top of its band: topmost windows stay above the others.
void placeOnTop(std::vector<HWND> &list, Window *w)
{
    list.erase(std::remove(list.begin(), list.end(), w->handle), list.end());
    if (w->parent || w->topmost) {
        list.push_back(w->handle);
        return;
    }
    auto it = list.begin();
    for (; it != list.end(); ++it) {
        Window *other = windowQuiet(*it);
        if (other && other->topmost)
            break;
    }
    list.insert(it, w->handle);
}

HWND topLevelAncestor(HWND hwnd)
{
    Window *w = windowQuiet(hwnd);
    while (w && w->parent) {
        hwnd = w->parent;
        w = windowQuiet(hwnd);
    }
    return hwnd;
}

// The screen rectangle that a change of the window touches, clipped to nothing when the window
// is not on screen.
RECT footprint(const Window *w)
{
    return isDrawable(w) ? screenRectOf(w) : RECT{};
}

void sendDestroy(HWND hwnd)
{
    callWindowProc(hwnd, WM_DESTROY, 0, 0);
    Window *w = windowQuiet(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->children;
    for (HWND child : children)
        if (windowQuiet(child))
            sendDestroy(child);
}

void freeWindow(HWND hwnd, const char *api)
{
    Window *w = windowQuiet(hwnd);
    if (!w)
        return;
    std::vector<HWND> children = w->children;
    for (HWND child : children)
        freeWindow(child, api);
    w = windowQuiet(hwnd);
    if (!w)
        return;
    RECT was = footprint(w);
    killTimersOf(hwnd);
    dropWindowDcs(hwnd, api);
    removeMessagesFor(hwnd);
    releaseCaptureWithin(hwnd);
    std::vector<HWND> &siblings = siblingsOf(w);
    siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    for (HWND other : topLevel)
        if (Window *o = windowQuiet(other))
            if (o->owner == hwnd)
                o->owner = nullptr;
    if (w->cls)
        --w->cls->windows;
    cachedHandle = nullptr;
    cachedWindow = nullptr;
    freeHandle(hwnd);
    windows.erase(hwnd);
    // Normally hidden before this point; a window shown again while being destroyed still goes.
    if (!rectEmpty(was))
        recompose(was, true);
}

void sendSizeAndMove(HWND hwnd)
{
    Window *w = windowQuiet(hwnd);
    if (!w)
        return;
    RECT r = w->rect;
    callWindowProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
    if (windowQuiet(hwnd))
        callWindowProc(hwnd, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
}

// Whether the window is a top-level one that showing brings to the top of the z-order.
bool showRaises(const Window *w, int nCmdShow)
{
    return !w->parent && nCmdShow != SW_SHOWNOACTIVATE;
}

BOOL showWindow(HWND hwnd, int nCmdShow)
{
    Window *w = windowQuiet(hwnd);
    bool was = (w->style & WS_VISIBLE) != 0;
    if (nCmdShow == SW_HIDE) {
        if (!was)
            return FALSE;
        callWindowProc(hwnd, WM_SHOWWINDOW, FALSE, 0);
        if (!(w = windowQuiet(hwnd)))
            return TRUE;
        RECT before = footprint(w);
        w->style &= ~WS_VISIBLE;
        recompose(before, true);
        return TRUE;
    }
    bool raise = showRaises(w, nCmdShow) && (topLevel.empty() || topLevel.back() != hwnd);
    if (was && !raise)
        return TRUE;
    if (!was) {
        callWindowProc(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = windowQuiet(hwnd)))
            return FALSE;
        w->style |= WS_VISIBLE;
    }
    if (raise)
        placeOnTop(topLevel, w);
    recompose(footprint(w), true);
    return was;
}

// The window and all its descendants, parents before children.
std::vector<HWND> windowAndDescendants(HWND hwnd)
{
    std::vector<HWND> out;
    Window *w = windowQuiet(hwnd);
    if (!w)
        return out;
    out.push_back(hwnd);
    for (HWND child : w->children) {
        std::vector<HWND> below = windowAndDescendants(child);
        out.insert(out.end(), below.begin(), below.end());
    }
    return out;
}

BOOL moveWindow(HWND hwnd, int x, int y, int width, int height)
{
    Window *w = windowQuiet(hwnd);
    // A negative size becomes 0, as the platform normalises it.
    width = std::max(width, 0);
    height = std::max(height, 0);
    RECT old = w->rect;
    RECT now = {x, y, x + width, y + height};
    bool moved = now.left != old.left || now.top != old.top;
    bool sized = (now.right - now.left) != (old.right - old.left) || (now.bottom - now.top) != (old.bottom - old.top);
    if (!moved && !sized)
        return TRUE;
    RECT before = footprint(w);
    w->rect = now;
    RECT after = footprint(w);
    recompose(unionRects(before, after), true);
    // No bits are carried over: what a moved or resized window shows is repainted, as the device
    // queues WM_PAINT for it. Moving carries the children along, so they repaint too.
    for (HWND h : windowAndDescendants(hwnd)) {
        Window *d = windowQuiet(h);
        if (d && (h == hwnd || moved))
            invalidateWindow(d, nullptr, true);
    }
    if (sized)
        callWindowProc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if (moved && windowQuiet(hwnd))
        callWindowProc(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
    return TRUE;
}

// Reads or writes one of the LONG slots a window has; false for an index it does not have.
LONG *longSlot(Window *w, int index, bool *styleSlot)
{
    *styleSlot = false;
    switch (index) {
    case GWL_STYLE:
        *styleSlot = true;
        return reinterpret_cast<LONG *>(&w->style);
    case GWL_EXSTYLE:
        return reinterpret_cast<LONG *>(&w->exStyle);
    case GWL_USERDATA:
        return &w->userData;
    default:
        // Only whole, aligned slots: the device takes offsets that are multiples of 4.
        if (index >= 0 && index % 4 == 0 && (size_t)index + sizeof(LONG) <= w->extra.size())
            return reinterpret_cast<LONG *>(w->extra.data() + index);
        return nullptr;
    }
}

} // namespace

// ---- windows ----

std::u16string copyWide(const WCHAR *s)
{
    std::u16string out;
    if (s && !IS_INTRESOURCE(s))
        for (; *s; ++s)
            out += (char16_t)*s;
    return out;
}

Window *windowOf(HWND hwnd, const char *api)
{
    Window *w = static_cast<Window *>(lookup(hwnd, EMU_WINDOW, api));
    if (!w)
        setLastError(ERROR_INVALID_WINDOW_HANDLE);
    return w;
}

Window *windowOfCall(HWND hwnd, const char *api)
{
    return failNow(api) ? nullptr : windowOf(hwnd, api);
}

Window *windowQuiet(HWND hwnd)
{
    if (!hwnd)
        return nullptr;
    if (hwnd == cachedHandle)
        return cachedWindow;
    Window *w = static_cast<Window *>(lookup(hwnd, EMU_WINDOW, "", true));
    if (w) {
        cachedHandle = hwnd;
        cachedWindow = w;
    }
    return w;
}

const std::vector<HWND> &topLevelWindows()
{
    return topLevel;
}

bool isDrawable(const Window *w)
{
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!w->parent)
            return true;
        w = windowQuiet(w->parent);
    }
    return false;
}

RECT screenRectOf(const Window *w)
{
    RECT r = w->rect;
    for (const Window *p = windowQuiet(w->parent); p; p = windowQuiet(p->parent))
        r = offsetRect(r, p->rect.left, p->rect.top);
    return r;
}

LRESULT callWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window *w = windowQuiet(hwnd);
    if (!w || !w->proc)
        return 0;
    return w->proc(hwnd, msg, wParam, lParam);
}

void destroyWindowNow(HWND hwnd, const char *api)
{
    Window *w = windowQuiet(hwnd);
    if (!w || w->destroying)
        return;
    w->destroying = true;
    // Owned windows go first, then the window is hidden, loses the capture, and hears WM_DESTROY
    // before its children do (they still exist while it handles it). Children are freed first.
    std::vector<HWND> owned;
    for (HWND other : topLevel)
        if (Window *o = windowQuiet(other))
            if (o->owner == hwnd)
                owned.push_back(other);
    for (HWND o : owned)
        destroyWindowNow(o, api);
    if ((w = windowQuiet(hwnd)) && (w->style & WS_VISIBLE)) {
        RECT before = footprint(w);
        w->style &= ~WS_VISIBLE;
        recompose(before, true);
    }
    // The window manager lets the capture go, but a program that took it releases it itself.
    if (releaseCaptureWithin(hwnd))
        violation(api, "the window (or a child of it) still held the pen capture");
    if (windowQuiet(hwnd))
        sendDestroy(hwnd);
    freeWindow(hwnd, api);
}

// Whether a screen pixel is the window's to draw on: the topmost visible window there, children
// clipping their parents; while it paints, only inside its paint rectangle.
static bool windowOwnsScreenPixel(HWND window, int x, int y)
{
    if (x < 0 || y < 0 || x >= screenWidth() || y >= screenHeight())
        return false;
    if (windowAtScreenPoint(x, y) != window)
        return false;
    Window *w = windowQuiet(window);
    return w && (!w->painting || insidePaintClip(w, x, y));
}

bool clientOrigin(HWND window, int *x, int *y)
{
    Window *w = windowQuiet(window);
    if (!w)
        return false;
    RECT r = screenRectOf(w);
    if (x)
        *x = r.left;
    if (y)
        *y = r.top;
    return true;
}

const WindowPlacement windowPlacement = {clientOrigin, windowOwnsScreenPixel};

// The windows' part of emuReset; each file of the window room forgets its own.
static void resetWindows()
{
    // Nothing is sent and nothing recorded: the whole platform starts afresh.
    windows.clear();
    topLevel.clear();
    cachedHandle = nullptr;
    cachedWindow = nullptr;
}
const RoomReset windowRoomReset(resetWindows);

} // namespace emu

using namespace emu;

extern "C" {

HWND WINAPI CreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
{
    if (failNow(__func__))
        return failed(ERROR_NOT_ENOUGH_MEMORY, nullptr);
    if (!lpClassName)
        return misuse(__func__, "null class name", ERROR_INVALID_PARAMETER, nullptr);
    WindowClass *cls = classForCreate(lpClassName, hInstance);
    if (!cls)
        return misuse(__func__,
                      IS_INTRESOURCE(lpClassName) ? std::string("no class with that atom")
                                                  : "no class \"" + utf8(lpClassName) + "\"",
                      ERROR_CANNOT_FIND_WND_CLASS, nullptr);
    if (hWndParent && !windowOf(hWndParent, __func__))
        return nullptr;
    // A window given a parent but neither WS_CHILD nor WS_POPUP is made a child of it.
    if (hWndParent && !(dwStyle & (WS_CHILD | WS_POPUP)))
        dwStyle |= WS_CHILD;
    bool child = (dwStyle & WS_CHILD) != 0;
    if (hMenu && !child)
        return misuse(__func__,
                      "windows have no menus on the device: hMenu must be null unless it is a "
                      "child window's id",
                      ERROR_INVALID_MENU_HANDLE, nullptr);
    if (child && !hWndParent)
        return misuse(__func__, "WS_CHILD without a parent window", ERROR_TLW_WITH_WSCHILD, nullptr);
    // CW_USEDEFAULT puts a window at the origin; a top-level window then fills the screen, a child
    // window gets no size.
    if (X == CW_USEDEFAULT)
        X = Y = 0;
    if (nWidth == CW_USEDEFAULT) {
        nWidth = child ? 0 : screenWidth();
        nHeight = child ? 0 : screenHeight();
    }
    nWidth = std::max(nWidth, 0);
    nHeight = std::max(nHeight, 0);

    auto owned = std::make_unique<Window>();
    Window *w = owned.get();
    w->cls = cls;
    w->proc = cls->proc;
    w->parent = child ? hWndParent : nullptr;
    w->owner = child || !hWndParent ? nullptr : topLevelAncestor(hWndParent);
    w->topmost = !child && (dwExStyle & WS_EX_TOPMOST);
    w->rect = RECT{X, Y, X + nWidth, Y + nHeight};
    // Created hidden; WS_VISIBLE shows it once WM_CREATE has succeeded.
    w->style = dwStyle & ~WS_VISIBLE;
    w->exStyle = dwExStyle;
    w->extra.assign((size_t)cls->windowExtra, 0);
    w->title = copyWide(lpWindowName);
    w->instance = hInstance;
    HWND hwnd = static_cast<HWND>(newHandle(EMU_WINDOW, w));
    w->handle = hwnd;
    windows[hwnd] = std::move(owned);
    ++cls->windows;
    placeOnTop(siblingsOf(w), w);

    CREATESTRUCTW cs = {lpParam, hInstance, hMenu,         hWndParent,   nHeight,     nWidth,
                        Y,       X,         (LONG)dwStyle, lpWindowName, lpClassName, dwExStyle};
    LRESULT created = callWindowProc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs));
    if (!windowQuiet(hwnd))
        return nullptr;
    if (created == -1) {
        destroyWindowNow(hwnd, __func__);
        return nullptr;
    }
    sendSizeAndMove(hwnd);
    if (!windowQuiet(hwnd))
        return nullptr;
    if (dwStyle & WS_VISIBLE)
        showWindow(hwnd, SW_SHOW);
    return windowQuiet(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return FALSE;
    if (w->destroying)
        return misuse(__func__, "the window is already being destroyed", FALSE);
    destroyWindowNow(hWnd, __func__);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    if (failNow(__func__) || !windowOf(hWnd, __func__))
        return FALSE;
    switch (nCmdShow) {
    case SW_HIDE:
    case SW_SHOWNORMAL:
    case SW_SHOW:
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
        return showWindow(hWnd, nCmdShow);
    default:
        violation(__func__, "unsupported show command " + std::to_string(nCmdShow));
        setLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint)
{
    if (failNow(__func__) || !windowOf(hWnd, __func__))
        return FALSE;
    // The device ignores the repaint flag and takes it as FALSE.
    (void)bRepaint;
    return moveWindow(hWnd, X, Y, nWidth, nHeight);
}

HWND WINAPI GetParent(HWND hWnd)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return nullptr;
    // A top-level window answers with its owner, whatever its style.
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND WINAPI GetWindow(HWND hWnd, UINT uCmd)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return nullptr;
    // Sibling lists run bottom to top; the platform names windows from the top of the z-order down.
    const std::vector<HWND> &siblings = siblingsOf(w);
    auto at = std::find(siblings.begin(), siblings.end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return siblings.empty() ? nullptr : siblings.back();
    case GW_HWNDLAST:
        return siblings.empty() ? nullptr : siblings.front();
    case GW_HWNDNEXT:
        return at == siblings.end() || at == siblings.begin() ? nullptr : *(at - 1);
    case GW_HWNDPREV:
        return at == siblings.end() || at + 1 == siblings.end() ? nullptr : *(at + 1);
    case GW_OWNER:
        return w->owner;
    case GW_CHILD:
        return w->children.empty() ? nullptr : w->children.back();
    default:
        violation(__func__, "unknown relationship " + std::to_string(uCmd));
        setLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return FALSE;
    if (!lpRect)
        return misuse(__func__, "null rectangle", ERROR_INVALID_PARAMETER, FALSE);
    *lpRect = screenRectOf(w);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT lpRect)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return FALSE;
    if (!lpRect)
        return misuse(__func__, "null rectangle", ERROR_INVALID_PARAMETER, FALSE);
    // Windows here have no non-client area: the client area is the whole window.
    *lpRect = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

LONG WINAPI SetWindowLongW(HWND hWnd, int nIndex, LONG dwNewLong)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return 0;
    bool styleSlot;
    LONG *slot = nIndex >= 0 && nIndex % 4 != 0 ? nullptr : longSlot(w, nIndex, &styleSlot);
    if (!slot)
        return misuse(__func__,
                      "no window long at index " + std::to_string(nIndex) +
                          (nIndex >= 0 && nIndex % 4 ? " (the device takes multiples of 4)" : ""),
                      ERROR_INVALID_INDEX, 0);
    LONG previous = *slot;
    RECT before = footprint(w);
    // A window stays a child or a pop-up for its life: those bits keep their value.
    const DWORD kind = WS_CHILD | WS_POPUP;
    if (styleSlot && (((DWORD)previous ^ (DWORD)dwNewLong) & kind)) {
        violation(__func__, "WS_CHILD and WS_POPUP cannot be changed after the window is created");
        dwNewLong = (LONG)(((DWORD)dwNewLong & ~kind) | ((DWORD)previous & kind));
    }
    *slot = dwNewLong;
    // Flipping WS_VISIBLE this way changes what the window manager considers on screen but, as on
    // the platform, repaints nothing.
    if (styleSlot && ((DWORD)previous ^ (DWORD)dwNewLong) & WS_VISIBLE)
        recompose(unionRects(before, footprint(w)), false);
    return previous;
}

LONG WINAPI GetWindowLongW(HWND hWnd, int nIndex)
{
    Window *w = windowOfCall(hWnd, __func__);
    if (!w)
        return 0;
    bool styleSlot;
    LONG *slot = longSlot(w, nIndex, &styleSlot);
    if (!slot)
        return misuse(__func__, "no window long at index " + std::to_string(nIndex), ERROR_INVALID_INDEX, 0);
    return *slot;
}

BOOL WINAPI IsWindow(HWND hWnd)
{
    // Asking is how a program finds out whether a handle is still good: never a violation.
    failNow(__func__);
    return isLive(hWnd, EMU_WINDOW) ? TRUE : FALSE;
}

BOOL WINAPI IsWindowVisible(HWND hWnd)
{
    failNow(__func__);
    Window *w = windowOf(hWnd, __func__);
    return w && isDrawable(w) ? TRUE : FALSE;
}

} // extern "C"
