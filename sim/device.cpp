// The simulated handheld: platform, skin, host and panel, and the screen composed with the
// application's text.
#include "device.h"

#include <algorithm>

#include <aygshell.h>
#include <emu.h>

// The desktop behind every window, in a colour the skin never uses and the 16-bit display keeps
// exactly: wherever it shows, no window covers the screen and the application is drawn instead.
static const DWORD desktopKey = 0x080408;

static const int portraitWidth = 480, portraitHeight = 640;
// Faces are compared with the screen on a grid of this step, enough to tell them apart.
static const int sampleStep = 4;

const char *variantName(bool night)
{
    return night ? "night" : "day";
}

const char *variantClsid(bool night)
{
    return night ? "{5956CDC6-4A6D-4d26-BC6E-6CBF5C8043F0}" : "{91C40DFC-6B41-456f-A2E4-4AA7363198B7}";
}

Device::Device() = default;

Device::~Device()
{
    stop();
}

// The face's ImageId: pressed at base, normal at base + 1 (day) or + 2 (night).
static UINT normalFaceId(Face face, bool landscape, bool night)
{
    UINT base = 0x1000 + 16 * static_cast<UINT>(face) + (landscape ? 4 : 0);
    return base + (night ? 2 : 1);
}

// The picture's pixels as the display shows them: copied into a bitmap of the screen's format, so
// that a 16-bit display's rounding is the display's own.
static std::vector<uint32_t> displayedPixels(HBITMAP picture, int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP shown = CreateCompatibleBitmap(screen, width, height);
    HDC target = CreateCompatibleDC(screen);
    HDC source = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ targetStock = SelectObject(target, shown);
    HGDIOBJ sourceStock = SelectObject(source, picture);
    BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(target, targetStock);
    SelectObject(source, sourceStock);
    DeleteDC(target);
    DeleteDC(source);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y) * width + x] = emuBitmapPixel(shown, x, y);
    }
    DeleteObject(shown);
    return pixels;
}

bool Device::loadFaces(std::string *error)
{
    HMODULE module = LoadLibraryExW(L"\\Windows\\KWENO_Resources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        *error = "cannot load \\Windows\\KWENO_Resources.dll from " + options_.skinDir;
        return false;
    }
    bool ok = true;
    for (int landscape = 0; landscape < 2 && ok; ++landscape) {
        int width = landscape ? LANDSCAPE_WIDTH : PORTRAIT_WIDTH;
        int height = landscape ? LANDSCAPE_HEIGHT : PORTRAIT_HEIGHT;
        for (int f = 0; f < FACE_COUNT && ok; ++f) {
            HBITMAP bitmap = SHLoadImageResource(module, normalFaceId(static_cast<Face>(f), landscape, options_.night));
            if (!bitmap) {
                *error = "the skin has no " + std::string(faceName(static_cast<Face>(f))) + " face";
                ok = false;
                break;
            }
            faces_[landscape][f] = displayedPixels(bitmap, width, height);
            DeleteObject(bitmap);
        }
    }
    FreeLibrary(module);
    return ok;
}

bool Device::start(const DeviceOptions &options, std::string *error)
{
    stop();
    options_ = options;
    emuReset();
    emuSetScreenSize(portraitWidth, portraitHeight);
    emuSetDesktopColour(desktopKey);
    emuMapFolder("\\Windows", options.skinDir.c_str());
    if (!loadFaces(error))
        return false;
    if (!options.fontPath.empty()) {
        std::string fontError;
        // The text is a nicety: a missing font leaves the field empty but the panel works.
        view_.loadFont(options.fontPath, &fontError);
    }
    host_ = std::make_unique<InputPanelHost>();
    CLSID clsid;
    clsidFromText(variantClsid(options.night), &clsid);
    HRESULT hr = host_->load(options.panelPath, clsid);
    if (FAILED(hr)) {
        *error = "cannot load " + options.panelPath + ": " + host_->error();
        host_.reset();
        return false;
    }
    hr = host_->activate();
    if (FAILED(hr) || !host_->shown()) {
        *error = "the panel did not come up (activation returned " + std::to_string(static_cast<long>(hr)) + ")";
        host_.reset();
        return false;
    }
    // The first paint is waiting in the queue; the screen shows the keyboard once it is done.
    host_->pump();
    return true;
}

void Device::stop()
{
    host_.reset();
}

int Device::screenWidth() const
{
    return emuScreenWidth();
}

int Device::screenHeight() const
{
    return emuScreenHeight();
}

bool Device::popupRect(RECT *rect) const
{
    if (!host_)
        return false;
    for (HWND w = GetWindow(host_->window(), GW_HWNDFIRST); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == host_->window() || w == host_->applicationWindow() || !IsWindowVisible(w))
            continue;
        RECT r;
        if (GetWindowRect(w, &r) && isPopupWindow(r)) {
            *rect = r;
            return true;
        }
    }
    return false;
}

RECT Device::panelRect() const
{
    return host_ ? host_->windowRect() : RECT{0, 0, 0, 0};
}

void Device::rotate(bool landscape)
{
    if (landscape)
        host_->rotate(portraitHeight, portraitWidth);
    else
        host_->rotate(portraitWidth, portraitHeight);
}

Face Device::face() const
{
    bool landscape = !portrait();
    int width = landscape ? LANDSCAPE_WIDTH : PORTRAIT_WIDTH;
    int height = landscape ? LANDSCAPE_HEIGHT : PORTRAIT_HEIGHT;
    RECT panel = panelRect();
    int best = 0;
    long bestMatches = -1;
    for (int f = 0; f < FACE_COUNT; ++f) {
        const std::vector<uint32_t> &pixels = faces_[landscape][f];
        if (pixels.empty())
            continue;
        long matches = 0;
        for (int y = 0; y < height; y += sampleStep) {
            for (int x = 0; x < width; x += sampleStep) {
                if (emuScreenPixel(panel.left + x, panel.top + y) == pixels[static_cast<size_t>(y) * width + x])
                    ++matches;
            }
        }
        if (matches > bestMatches) {
            bestMatches = matches;
            best = f;
        }
    }
    return static_cast<Face>(best);
}

Image Device::screen() const
{
    int width = screenWidth();
    int height = screenHeight();
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.at(x, y) = emuScreenPixel(x, y);
    }
    AppLook look = options_.night ? nightLook() : dayLook();
    int appHeight = host_ && host_->shown() ? std::max(0, static_cast<int>(panelRect().top)) : height;
    Image app(width, std::min(appHeight, height));
    std::u16string text;
    size_t cursor = 0;
    if (host_) {
        text = host_->field().text();
        cursor = host_->field().cursor();
    }
    std::string title = std::string("kweno-sim \xC2\xB7 ") + variantName(options_.night) + " variant";
    view_.draw(&app, text, cursor, title, look);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (image.at(x, y) != desktopKey)
                continue;
            image.at(x, y) = y < app.height ? app.at(x, y) : look.background;
        }
    }
    return image;
}
