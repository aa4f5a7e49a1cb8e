// The screen: its framebuffer, which window owns each pixel, uncovering, rotation and screenshots.
#include "window.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include <ceuser.h>

#include "image.h"

namespace emu {
namespace {

const int defaultWidth = 480;
const int defaultHeight = 640;
// Largest side the host may ask for, so that a bad size cannot exhaust memory.
const int maxSide = 4096;
const DWORD defaultDesktopColour = 0x000000;

int width = defaultWidth;
int height = defaultHeight;
// The Windows Mobile 6 VGA handhelds have a 16-bit (5-6-5) display.
const PixelFormat defaultFormat = FORMAT_RGB565;
PixelFormat format = defaultFormat;
DWORD desktopColour = defaultDesktopColour;
std::vector<uint32_t> framebuffer(defaultWidth *defaultHeight, defaultDesktopColour);
// The window that owns each pixel (its handle value), 0 for the desktop.
std::vector<uintptr_t> owners(defaultWidth *defaultHeight, 0);
unsigned long long changes = 0;

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

void setSize(int newWidth, int newHeight)
{
    width = std::min(std::max(newWidth, 0), maxSide);
    height = std::min(std::max(newHeight, 0), maxSide);
    framebuffer.assign((size_t)width * height, storedPixel(format, desktopColour));
    owners.assign((size_t)width * height, 0);
    recompose(screenRect(), false);
    // The whole picture is gone: every window on screen paints itself again.
    invalidateAllWindows();
    ++changes;
}

} // namespace

uint32_t *screenPixels()
{
    return framebuffer.data();
}
PixelFormat screenFormat()
{
    return format;
}
int screenWidth()
{
    return width;
}
int screenHeight()
{
    return height;
}
void screenChanged()
{
    ++changes;
}

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
    bool desktopChanged = false;
    for (int y = area.top; y < area.bottom; ++y) {
        const uintptr_t *was = &before[(size_t)(y - area.top) * w];
        uintptr_t *now = &owners[(size_t)y * width];
        for (int x = area.left; x < area.right; ++x) {
            uintptr_t n = now[x];
            if (n == was[x - area.left])
                continue;
            if (n == 0) {
                framebuffer[(size_t)y * width + x] = storedPixel(format, desktopColour);
                desktopChanged = true;
                continue;
            }
            if (n != lastOwner || !lastGain) {
                lastOwner = n;
                lastGain = &gained[n];
            }
            *lastGain = unionRects(*lastGain, RECT{x, y, x + 1, y + 1});
        }
    }
    if (desktopChanged)
        ++changes;
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

void resetScreen()
{
    width = defaultWidth;
    height = defaultHeight;
    desktopColour = defaultDesktopColour;
    format = defaultFormat;
    framebuffer.assign((size_t)width * height, desktopColour);
    owners.assign((size_t)width * height, 0);
    changes = 0;
}

} // namespace emu

using namespace emu;

extern "C" {

int WINAPI GetSystemMetrics(int nIndex)
{
    if (failNow("GetSystemMetrics"))
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
    setSize(newWidth, newHeight);
}

void emuRotate(int newWidth, int newHeight)
{
    setSize(newWidth, newHeight);
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

int emuScreenWidth(void)
{
    return width;
}
int emuScreenHeight(void)
{
    return height;
}

DWORD emuScreenPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return 0;
    return framebuffer[(size_t)y * width + x];
}

int emuScreenshot(const char *pngPath)
{
    if (!pngPath || width == 0 || height == 0)
        return 0;
    Image shot(width, height);
    shot.pixels.assign(framebuffer.begin(), framebuffer.end());
    std::string error;
    return writePng(shot, pngPath, &error) ? 1 : 0;
}

int emuSetScreenDepth(int bits)
{
    if (bits != 16 && bits != 24 && bits != 32)
        return 0;
    format = bits == 16 ? FORMAT_RGB565 : FORMAT_RGB888;
    // A new display mode: the picture is gone and every window paints itself again.
    setSize(width, height);
    return 1;
}

int emuScreenDepth(void)
{
    return format == FORMAT_RGB565 ? 16 : 32;
}

void emuSetDesktopColour(DWORD rgb)
{
    desktopColour = rgb & 0xFFFFFF;
    std::fill(framebuffer.begin(), framebuffer.end(), storedPixel(format, desktopColour));
    invalidateAllWindows();
    ++changes;
}

} // extern "C"
