// Smoke test of the Windows deliverables: loads each DLL into the host, types a few keys and a mode
// key by posting pen messages to the panel's keyboard window, and takes the panel down again.
// Exit status 0 only if every check passed.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

#include "fakeclsid.h"
#include "host.h"
#include "server/variants.h"

struct Variant {
    const char *name;
    CLSID clsid;
};

static const Variant variants[] = {
    {"day", VARIANTS[VARIANT_DAY].classId},
    {"night", VARIANTS[VARIANT_NIGHT].classId},
    {"fake", fakeClsid},
};

struct ExpectedKey {
    UINT vk;
    DWORD flags;
    char16_t character;
};

// q, shift, w, the numeric mode key, 7: the shift is one-shot, so only W comes out upper case.
static const ExpectedKey qShiftW7[] = {
    {0x51, 0x00000080, u'q'}, {0x51, 0x00010040, u'q'}, {0x57, 0x20000080, u'W'},
    {0x57, 0x20010040, u'W'}, {0x37, 0x00000080, u'7'}, {0x37, 0x00010040, u'7'},
};

static int passed;
static int failed;

static bool check(bool ok, const std::string &what)
{
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("  FAIL: %s\n", what.c_str());
    }
    return ok;
}

static std::string hex(long value)
{
    char buffer[16];
    snprintf(buffer, sizeof buffer, "0x%08lx", static_cast<unsigned long>(value));
    return buffer;
}

static bool checkResult(HRESULT hr, HRESULT expected, const char *call)
{
    return check(hr == expected, std::string(call) + ": expected " + hex(expected) + ", got " + hex(hr));
}

// Portrait keys (layout coordinates): the centre of the key, offset by the panel's top on screen.
static void typeQShiftW7(InputPanelHost &host)
{
    int top = host.windowRect().top;
    host.tap(24, top + 31);  // q, top row
    host.tap(36, top + 157); // shift, left of the third row
    host.tap(72, top + 31);  // w, now W
    host.tap(36, top + 220); // numeric mode, left of the bottom row
    host.tap(144, top + 31); // 7, second cell of the numeric top row
}

static void checkKeys(InputPanelHost &host)
{
    std::vector<HostCall> keys;
    for (const HostCall &call : host.calls()) {
        if (call.function != HostCall::SET_IM_INFO)
            keys.push_back(call);
    }
    size_t expectedCount = sizeof qShiftW7 / sizeof qShiftW7[0];
    check(keys.size() == expectedCount,
          "expected " + std::to_string(expectedCount) + " key calls, got " + std::to_string(keys.size()));
    for (size_t i = 0; i < keys.size() && i < expectedCount; ++i) {
        const ExpectedKey &e = qShiftW7[i];
        const HostCall &c = keys[i];
        bool same = c.function == HostCall::SEND_CHAR_EVENTS && c.vk == e.vk && c.flags == e.flags &&
                    c.shift == e.flags && c.chars == std::u16string(1, e.character);
        check(same, "key call " + std::to_string(i + 1) + ": got " + describeHostCall(c));
    }
    check(host.text() == "qW7", "text: expected \"qW7\", got \"" + host.text() + "\"");
}

// The keyboard shows its face: a grid of samples over the window finds the many colours of keys,
// labels and background, where a window with no picture (one the loader could not read) has one.
static void checkFaceDrawn(HWND keyboard)
{
    UpdateWindow(keyboard);
    RECT client;
    GetClientRect(keyboard, &client);
    HDC dc = GetDC(keyboard);
    std::vector<COLORREF> seen;
    for (int y = 2; y < client.bottom; y += 7)
        for (int x = 2; x < client.right; x += 7) {
            COLORREF c = GetPixel(dc, x, y);
            if (std::find(seen.begin(), seen.end(), c) == seen.end())
                seen.push_back(c);
        }
    ReleaseDC(keyboard, dc);
    check(seen.size() >= 4, "the keyboard shows its face: " + std::to_string(seen.size()) + " colours sampled");
}

static void checkRotationNotice(InputPanelHost &host)
{
    host.callback().clearCalls();
    host.rotate(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::vector<HostCall> infos = host.callback().callsOf(HostCall::SET_IM_INFO);
    if (check(infos.size() == 1, "display reset: expected one SetImInfo, got " + std::to_string(infos.size())))
        check(infos[0].flags == SIPF_DOCKED, "display reset: SetImInfo flags " + hex(infos[0].flags));
}

static void runVariant(const Variant &variant, const std::string &path)
{
    printf("%s: %s\n", variant.name, path.c_str());
    const CLSID &clsid = variant.clsid;
    InputPanelHost host;
    for (int round = 1; round <= 2; ++round) {
        HRESULT hr = host.load(path, clsid);
        if (!checkResult(hr, S_OK, "load")) {
            printf("  %s\n", host.error().c_str());
            return;
        }
        if (!checkResult(host.activate(), S_OK, "activate (Select ... Showing)"))
            return;
        RECT r = host.windowRect();
        int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
        check(r.left == 0 && r.bottom == screenHeight && r.right - r.left == screenWidth && r.bottom - r.top == 252,
              "host window at the bottom, as wide as the screen and 252 high: {" + std::to_string(r.left) + ", " +
                  std::to_string(r.top) + ", " + std::to_string(r.right) + ", " + std::to_string(r.bottom) + "}");
        HWND keyboard = GetWindow(host.window(), GW_CHILD);
        check(keyboard && IsWindowVisible(keyboard), "the panel's keyboard window is a visible child of the host");
        if (keyboard && strcmp(variant.name, "fake") != 0) {
            checkFaceDrawn(keyboard);
            // The icon is a bitmap resource of the same module, read by LoadBitmapW.
            HIMAGELIST icons = (HIMAGELIST)host.imInfo().hImageNarrow;
            check(icons && ImageList_GetImageCount(icons) == 1, "the panel's image list holds its icon");
        }
        host.callback().clearCalls();
        host.field().clear();
        typeQShiftW7(host);
        checkKeys(host);
        if (round == 1)
            checkRotationNotice(host);
        checkResult(host.deactivate(), S_OK, "Hiding, Deselect");
        check(GetWindow(host.window(), GW_CHILD) == nullptr, "no child window left after Deselect");
        check(host.callback().addRefCount() == 0 && host.callback().releaseCount() == 0,
              "the panel neither adds nor releases references to the callback");
        check(host.release() == 0, "the last Release frees the object");
        checkResult(host.unload(), S_OK, "DllCanUnloadNow");
        check(!host.module().loaded(), "module unloaded");
    }
}

int main(int argc, char **argv)
{
    if (argc < 3 || argc % 2 == 0) {
        fprintf(stderr, "usage: %s day|night|fake DLL [day|night|fake DLL ...]\n", argv[0]);
        return 2;
    }
    printf("screen %dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    for (int i = 1; i + 1 < argc; i += 2) {
        const Variant *variant = nullptr;
        for (const Variant &v : variants) {
            if (strcmp(v.name, argv[i]) == 0)
                variant = &v;
        }
        if (!variant) {
            fprintf(stderr, "unknown variant %s\n", argv[i]);
            return 2;
        }
        runVariant(*variant, argv[i + 1]);
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
