// The simulated handheld: platform, skin, host and panel, and the screen composed with the
// application's text.
#include "device.h"

#include <algorithm>

#include <aygshell.h>
#include <emu.h>

#include "surface/imageids.h"
#include "text.h"

// The desktop behind every window, in a colour the skin never uses and the 16-bit display keeps
// exactly: wherever it shows, no window covers the screen and the application is drawn instead.
static const DWORD desktopKey = 0x080408;

// Faces are compared with the screen on a grid of this step, enough to tell them apart.
static const int sampleStep = 4;

Device::Device() = default;

Device::~Device()
{
    stop();
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
    HMODULE module = LoadLibraryExW(RESOURCE_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) {
        *error = "cannot load " + utf8FromUtf16(reinterpret_cast<const char16_t *>(RESOURCE_MODULE_PATH)) + " from " +
                 options_.skinDir;
        return false;
    }
    bool ok = true;
    for (int id = 0; id < 2 * 2 * FACE_COUNT && ok; ++id) {
        int pressed = id / (2 * FACE_COUNT), landscape = id / FACE_COUNT % 2, f = id % FACE_COUNT;
        LONG faceId = pressedFaceId(static_cast<DWORD>(f), !landscape);
        if (!pressed)
            faceId += variantFacts(options_.night).normalImageOffset;
        HBITMAP bitmap = SHLoadImageResource(module, static_cast<UINT>(faceId));
        if (!bitmap) {
            *error = std::string("the skin has no ") + (pressed ? "pressed " : "") + faceName(static_cast<Face>(f)) +
                     " face";
            ok = false;
            continue;
        }
        faces_[pressed][landscape][f] = displayedPixels(bitmap, landscape ? LANDSCAPE_WIDTH : PORTRAIT_WIDTH,
                                                        landscape ? LANDSCAPE_HEIGHT : PORTRAIT_HEIGHT);
        DeleteObject(bitmap);
    }
    FreeLibrary(module);
    return ok;
}

bool Device::start(const DeviceOptions &options, std::string *error)
{
    stop();
    options_ = options;
    // A fresh platform stands on the device's own screen.
    emuReset();
    emuSetDesktopColour(desktopKey);
    if (!options.skin.empty())
        emuRegisterModule("\\Windows\\KWENO_Resources.dll", options.skin.data(), options.skin.size());
    else
        emuMapFolder("\\Windows", options.skinDir.c_str());
    if (options.readFaces && !loadFaces(error))
        return false;
    // The text is a nicety: a missing font leaves the field empty but the panel works.
    std::string fontError;
    if (!options.glyphs.empty())
        view_.loadGlyphs(options.glyphs, &fontError);
    else if (!options.fontPath.empty())
        view_.loadFont(options.fontPath, &fontError);
    host_ = std::make_unique<InputPanelHost>();
    HRESULT hr = host_->load(options.panelPath, variantFacts(options.night).classId);
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
    int shortSide = std::min(screenWidth(), screenHeight()), longSide = std::max(screenWidth(), screenHeight());
    host_->rotate(landscape ? longSide : shortSide, landscape ? shortSide : longSide);
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
        const std::vector<uint32_t> &pixels = faces_[0][landscape][f];
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

bool Device::pressedKey(KeyRef *key) const
{
    bool landscape = !portrait();
    int width = landscape ? LANDSCAPE_WIDTH : PORTRAIT_WIDTH;
    Face shown = face();
    const std::vector<uint32_t> &normal = faces_[0][landscape][static_cast<int>(shown)];
    const std::vector<uint32_t> &pressed = faces_[1][landscape][static_cast<int>(shown)];
    RECT panel = panelRect();
    // A pressed key is its rectangle copied from the pressed face: wherever that face differs from
    // the normal one, the screen shows the pressed one (a popup over a key shows neither).
    for (const KeyRef &ref : keysOf(shown, !landscape)) {
        long differing = 0, asPressed = 0;
        for (LONG y = ref.rect.top; y <= ref.rect.bottom; y += sampleStep) {
            for (LONG x = ref.rect.left; x <= ref.rect.right; x += sampleStep) {
                size_t at = static_cast<size_t>(y) * width + x;
                if (pressed[at] == normal[at])
                    continue;
                ++differing;
                asPressed += emuScreenPixel(panel.left + x, panel.top + y) == pressed[at];
            }
        }
        if (differing > 0 && asPressed == differing) {
            *key = ref;
            return true;
        }
    }
    return false;
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
    view_.draw(&app, text, cursor, applicationTitle(options_.night), look);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (image.at(x, y) != desktopKey)
                continue;
            image.at(x, y) = y < app.height ? app.at(x, y) : look.background;
        }
    }
    return image;
}

std::string applicationTitle(bool night)
{
    return std::string("kweno-sim \xC2\xB7 ") + variantFacts(night).shortName + " variant";
}

bool glyphTable(const std::string &fontPath, std::vector<uint8_t> *table, std::string *error)
{
    AppView view;
    if (!view.loadFont(fontPath, error))
        return false;
    std::u32string characters = U" ";
    auto add = [&characters](char32_t c) {
        if (characters.find(c) == std::u32string::npos)
            characters += c;
    };
    for (int f = 0; f < FACE_COUNT; ++f) {
        for (bool portrait : {true, false}) {
            for (const KeyRef &ref : keysOf(static_cast<Face>(f), portrait)) {
                if (keyKind(*ref.key) == KeyKind::Character)
                    add(static_cast<char32_t>(ref.key->character));
                for (const KeyRecord *alt = ref.key->alternatives ? ref.key->alternatives + 1 : nullptr;
                     alt && !isSentinel(*alt); ++alt)
                    add(static_cast<char32_t>(alt->character));
            }
        }
    }
    for (bool night : {false, true})
        for (char32_t c : codePoints(applicationTitle(night)))
            add(c);
    *table = view.glyphTable(characters);
    return true;
}
