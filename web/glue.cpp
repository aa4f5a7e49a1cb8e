// The page's WebAssembly module: the simulated handheld with one variant of the panel linked in,
// and the calls the page makes on it, exported by name. The page fills buffer() with the skin, the
// glyph table or text before the call that takes them, drives the pen at screen points, moves the
// device's clock with real time and draws what frame() composes.
#include <emu.h>

#include "checker.h"
#include "device.h"
#include "text.h"

extern "C" {
// The deliverable's entry point and its two exports, linked into this module.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
HRESULT STDMETHODCALLTYPE DllCanUnloadNow();
}

#define PAGE_CALL(name) extern "C" __attribute__((export_name(#name)))

namespace {

#if defined(KWENO_NIGHT)
const bool night = true;
#else
const bool night = false;
#endif

struct Page {
    Device device;
    std::vector<uint8_t> incoming, skin, glyphs;
    std::vector<uint8_t> rgba; // the screen as a canvas takes it
    std::string text;          // what text() or checkSkin() last handed out
};

// An export as the platform's loader hands it out.
template <typename Function> FARPROC exported(Function function)
{
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

Page &page()
{
    static Page *instance = new Page;
    return *instance;
}

} // namespace

// A buffer of that many bytes for the page to write into, taken by the next call that reads it.
PAGE_CALL(buffer) uint8_t *buffer(size_t size)
{
    page().incoming.assign(size, 0);
    return page().incoming.data();
}

PAGE_CALL(setSkin) void setSkin()
{
    page().skin.swap(page().incoming);
}

PAGE_CALL(setGlyphs) void setGlyphs()
{
    page().glyphs.swap(page().incoming);
}

// A fresh handheld in the orientation, with the panel up and the skin given; its text carried over
// from what buffer() holds (UTF-8). 1 on success; otherwise message() says why.
PAGE_CALL(start) int start(int landscape)
{
    Page &p = page();
    std::string name = std::string(variantFacts(night).name) + ".dll";
    const EmuLinkedExport exports[] = {{"DllGetClassObject", exported(DllGetClassObject)},
                                       {"DllCanUnloadNow", exported(DllCanUnloadNow)},
                                       {nullptr, nullptr}};
    emuLinkModule(name.c_str(), DllMain, exports);
    DeviceOptions options;
    options.night = night;
    options.panelPath = "\\Windows\\" + name;
    options.skin = p.skin;
    options.glyphs = p.glyphs;
    options.readFaces = false;
    std::u16string carried = utf16FromUtf8(std::string(p.incoming.begin(), p.incoming.end()));
    if (!p.device.start(options, &p.text))
        return 0;
    p.device.host().field().setText(carried);
    if (landscape)
        p.device.rotate(true);
    return 1;
}

PAGE_CALL(message) const char *message()
{
    return page().text.c_str();
}

PAGE_CALL(penDown) void penDown(int x, int y)
{
    page().device.host().penDown(x, y);
}

PAGE_CALL(penMove) void penMove(int x, int y)
{
    page().device.host().penMove(x, y);
}

PAGE_CALL(penUp) void penUp(int x, int y)
{
    page().device.host().penUp(x, y);
}

PAGE_CALL(advance) void advance(unsigned ms)
{
    page().device.host().advance(ms);
}

PAGE_CALL(rotate) void rotate()
{
    page().device.rotate(page().device.portrait());
}

PAGE_CALL(width) int width()
{
    return page().device.screenWidth();
}

PAGE_CALL(height) int height()
{
    return page().device.screenHeight();
}

// The screen as the simulator shows it (the application drawn above the panel), as RGBA bytes of
// width() x height() pixels.
PAGE_CALL(frame) const uint8_t *frame()
{
    Image screen = page().device.screen();
    std::vector<uint8_t> &rgba = page().rgba;
    rgba.resize(screen.pixels.size() * 4);
    for (size_t i = 0; i < screen.pixels.size(); ++i) {
        uint32_t pixel = screen.pixels[i];
        rgba[4 * i] = static_cast<uint8_t>(pixel >> 16);
        rgba[4 * i + 1] = static_cast<uint8_t>(pixel >> 8);
        rgba[4 * i + 2] = static_cast<uint8_t>(pixel);
        rgba[4 * i + 3] = 0xFF;
    }
    return rgba.data();
}

// What the application received, UTF-8.
PAGE_CALL(text) const char *text()
{
    page().text = page().device.host().text();
    return page().text.c_str();
}

// What the skin checker says of the module in buffer(), for both variants: one fault a line, ""
// for none.
PAGE_CALL(checkSkin) const char *checkSkin()
{
    skin::CheckResult result =
        skin::checkModuleBytes(page().incoming, "KWENO_Resources.dll", {VARIANT_DAY, VARIANT_NIGHT});
    page().text.clear();
    for (const std::string &fault : result.faults)
        page().text += fault + "\n";
    return page().text.c_str();
}
