// The screen: which window owns each pixel of the display, uncovering, its size and rotation.
#include "window/window.h"

#include <algorithm>
#include <map>

#include <ceuser.h>

namespace emu {
namespace {

// The window that owns each pixel of the display (its handle value), 0 for the desktop: a map of
// the display's size.
int width = screenWidth();
int height = screenHeight();
std::vector<uintptr_t> owners((size_t)width *height, 0);

// An empty map of the display's size.
void followDisplay()
{
    width = screenWidth();
    height = screenHeight();
    owners.assign((size_t)width * height, 0);
}

RECT screenRect()
{
    return RECT{0, 0, width, height};
}

void fillOwners(const RECT &r, uintptr_t owner)
{
    for (int y = r.top; y < r.bottom; ++y)
        std::fill(owners.begin() + (size_t)y * width + r.left, owners.begin() + (size_t)y * width + r.right, owner);
}

// Paints the window and its children into the ownership map, children over their parent and
// later siblings over earlier ones, everything clipped to `clip` (screen coordinates).
void paintOwners(HWND hwnd, const RECT &clip, int originX, int originY)
{
    Window *w = windowQuiet(hwnd);
    if (!w || !(w->style & WS_VISIBLE))
        return;
    RECT r = offsetRect(w->rect, originX, originY);
    RECT visible = intersectRects(r, clip);
    if (rectEmpty(visible))
        return;
    fillOwners(visible, reinterpret_cast<uintptr_t>(hwnd));
    for (HWND child : w->children)
        paintOwners(child, visible, r.left, r.top);
}

// A new display: the whole picture is gone, and every window on screen paints itself again.
void newDisplay(int newWidth, int newHeight, PixelFormat format)
{
    setDisplay(newWidth, newHeight, format);
    followDisplay();
    recompose(screenRect(), false);
    invalidateAllWindows();
}

} // namespace

void recompose(const RECT &dirty, bool invalidate)
{
    RECT area = intersectRects(dirty, screenRect());
    if (rectEmpty(area))
        return;
    int w = area.right - area.left;
    std::vector<uintptr_t> before;
    before.reserve((size_t)w * (area.bottom - area.top));
    for (int y = area.top; y < area.bottom; ++y)
        before.insert(before.end(), owners.begin() + (size_t)y * width + area.left,
                      owners.begin() + (size_t)y * width + area.right);
    fillOwners(area, 0);
    for (HWND top : topLevelWindows())
        paintOwners(top, area, 0, 0);
    if (!invalidate)
        return;

    // What each window gained, as a bounding rectangle on screen.
    std::map<uintptr_t, RECT> gained;
    uintptr_t lastOwner = 0;
    RECT *lastGain = nullptr; // map entries stay put: saves a lookup per pixel along a run
    uint32_t *pixels = screenPixels(), desktop = desktopPixel();
    for (int y = area.top; y < area.bottom; ++y) {
        const uintptr_t *was = &before[(size_t)(y - area.top) * w];
        uintptr_t *now = &owners[(size_t)y * width];
        for (int x = area.left; x < area.right; ++x) {
            uintptr_t n = now[x];
            if (n == was[x - area.left])
                continue;
            if (n == 0) {
                pixels[(size_t)y * width + x] = desktop;
                continue;
            }
            if (n != lastOwner || !lastGain) {
                lastOwner = n;
                lastGain = &gained[n];
            }
            *lastGain = unionRects(*lastGain, RECT{x, y, x + 1, y + 1});
        }
    }
    for (auto &g : gained) {
        HWND hwnd = reinterpret_cast<HWND>(g.first);
        Window *win = windowQuiet(hwnd);
        if (!win)
            continue;
        RECT origin = screenRectOf(win);
        RECT client = offsetRect(g.second, -origin.left, -origin.top);
        invalidateWindow(win, &client, true);
    }
}

HWND windowAtScreenPoint(int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return nullptr;
    return reinterpret_cast<HWND>(owners[(size_t)y * width + x]);
}

static void resetScreen()
{
    resetDisplay();
    followDisplay();
}
const RoomReset screenReset(resetScreen);

} // namespace emu

using namespace emu;

extern "C" {

int WINAPI GetSystemMetrics(int nIndex)
{
    if (failNow(__func__))
        return 0;
    switch (nIndex) {
    case SM_CXSCREEN:
        return width;
    case SM_CYSCREEN:
        return height;
    default:
        // Unknown metrics read as 0, as on the platform.
        return 0;
    }
}

void emuSetScreenSize(int newWidth, int newHeight)
{
    newDisplay(newWidth, newHeight, screenFormat());
}

void emuRotate(int newWidth, int newHeight)
{
    newDisplay(newWidth, newHeight, screenFormat());
    // The system tells top-level windows only, in creation order; a child hears of it from its
    // host. Windows destroyed by an earlier recipient are skipped.
    std::vector<HWND> recipients;
    for (const void *h : liveHandles(EMU_WINDOW)) {
        Window *w = windowQuiet(static_cast<HWND>(const_cast<void *>(h)));
        if (w && !w->parent)
            recipients.push_back(w->handle);
    }
    for (HWND hwnd : recipients)
        if (windowQuiet(hwnd))
            callWindowProc(hwnd, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
}

int emuSetScreenDepth(int bits)
{
    if (bits != 16 && bits != 24 && bits != 32)
        return 0;
    newDisplay(width, height, bits == 16 ? FORMAT_RGB565 : FORMAT_RGB888);
    return 1;
}

void emuSetDesktopColour(DWORD rgb)
{
    setDesktop(rgb);
    invalidateAllWindows();
}

} // extern "C"
