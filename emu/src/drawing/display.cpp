// The display: the framebuffer that window DCs and the screen DC draw onto, its size, its format and
// the desktop's colour, and what hosts read back from it.
#include "drawing/drawing.h"

#include <algorithm>

#include "image.h"

namespace emu {
namespace {

// Largest side the host may ask for, so that a bad size cannot exhaust memory.
const int maxSide = 4096;

// A fresh display is the Windows Mobile 6 VGA handhelds' 480 x 640 at 16 bits (5-6-5), black.
struct Display {
    int width = 480;
    int height = 640;
    PixelFormat format = FORMAT_RGB565;
    uint32_t desktop = 0x000000;
    std::vector<uint32_t> pixels = std::vector<uint32_t>((size_t)width * height, desktop);
};

// Made on first use, so that it exists before the first reset and before the window manager's
// map of the screen asks its size.
Display &display()
{
    static Display d;
    return d;
}

} // namespace

uint32_t *screenPixels()
{
    return display().pixels.data();
}
PixelFormat screenFormat()
{
    return display().format;
}
int screenWidth()
{
    return display().width;
}
int screenHeight()
{
    return display().height;
}
uint32_t desktopPixel()
{
    return storedPixel(display().format, display().desktop);
}

void setDisplay(int width, int height, PixelFormat format)
{
    Display &d = display();
    d.width = std::min(std::max(width, 0), maxSide);
    d.height = std::min(std::max(height, 0), maxSide);
    d.format = format;
    d.pixels.assign((size_t)d.width * d.height, desktopPixel());
}

void setDesktop(uint32_t rgb)
{
    display().desktop = rgb & 0xFFFFFF;
    std::fill(display().pixels.begin(), display().pixels.end(), desktopPixel());
}

void resetDisplay()
{
    display() = Display();
}

} // namespace emu

using namespace emu;

extern "C" {

int emuScreenWidth(void)
{
    return screenWidth();
}
int emuScreenHeight(void)
{
    return screenHeight();
}

DWORD emuScreenPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= screenWidth() || y >= screenHeight())
        return 0;
    return screenPixels()[(size_t)y * screenWidth() + x];
}

// The page that runs the WebAssembly build shows the screen itself and has no files to write.
#if !defined(__wasi__)
int emuScreenshot(const char *pngPath)
{
    if (!pngPath || screenWidth() == 0 || screenHeight() == 0)
        return 0;
    Image shot(screenWidth(), screenHeight());
    shot.pixels.assign(display().pixels.begin(), display().pixels.end());
    std::string error;
    return writePng(shot, pngPath, &error) ? 1 : 0;
}
#endif

int emuScreenDepth(void)
{
    return screenFormat() == FORMAT_RGB565 ? 16 : 32;
}

} // extern "C"
