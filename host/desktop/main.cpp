// kweno-host.exe: an input panel on desktop Windows, in a window that stands for the handheld's
// screen, typing into an edit control that stands for the focused application.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "devicescreen.h"
#include "host.h"
#include "keyinput.h"
#include "keys.h"
#include "keytable.h"
#include "server/variants.h"
#include "text.h"

struct Options {
    std::string panel;
    bool landscape = false;
    std::string dumpText;
    std::string ready;
    std::string log;
};

// The command line as CLI11 reads it: true to go on, or false with the status to exit with, 0 after
// --help and 2 for a bad command line (CLI11 has said what was wrong).
static bool parseOptions(int argc, char **argv, Options *options, int *exitStatus)
{
    CLI::App app{"Runs an input panel DLL as an on-screen keyboard, in a window standing for the handheld's\n"
                 "screen, typing into an edit control standing for the focused application.\n",
                 "kweno-host.exe"};
    // An option given twice takes the last, as it always has.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.footer("keys: Ctrl+R turns the screen, Ctrl+Q or Alt+F4 closes.");
    app.add_option("PANEL", options->panel,
                   "{CLASS-IDENTIFIER}: the panel the registry names for the class; or PATH\\TO\\PANEL.DLL")
        ->type_name("");
    app.add_flag_callback(
        "--print-keys",
        [] {
            printKeyTable(stdout);
            throw CLI::Success();
        },
        "print where every key lies, and exit");
    app.add_flag("--landscape", options->landscape, "the screen turned, its long side across");
    app.add_option("--dump-text", options->dumpText,
                   "write the application's text to FILE (UTF-8) each time it changes, and when closing")
        ->type_name("FILE");
    app.add_option("--ready", options->ready,
                   "write the screen's size and the panel's rectangle to FILE once the panel is up, and again "
                   "each time it moves; with its popup's or its magnifier's while one shows")
        ->type_name("FILE");
    app.add_option("--log", options->log, "write every call of the panel on the host to FILE when closing")
        ->type_name("FILE");
    try {
        app.parse(argc, argv);
        if (options->panel.empty())
            throw CLI::RequiredError("PANEL");
    } catch (const CLI::ParseError &e) {
        *exitStatus = app.exit(e) == 0 ? 0 : 2;
        return false;
    }
    return true;
}

static std::wstring wide(const std::string &utf8)
{
    std::u16string s = utf16FromUtf8(utf8);
    return std::wstring(s.begin(), s.end());
}

// ---- the screen, the application and the panel ----

static HWND screenWindow;
static HWND editWindow;
static std::unique_ptr<InputPanelHost> host;
static bool readyPending;
static bool letterShown;
static RECT letterAt;

static LRESULT CALLBACK screenWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
        // The application keeps the focus, whoever activates the screen.
        if (editWindow)
            SetFocus(editWindow);
        return 0;
    case WM_CLOSE:
        // The panel goes before its windows do.
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

static SIZE screenSize()
{
    RECT r;
    GetClientRect(screenWindow, &r);
    return SIZE{r.right, r.bottom};
}

// The application fills the screen above the panel.
static void onPanelPlaced(const RECT &panel)
{
    MoveWindow(editWindow, 0, 0, screenSize().cx, panel.top, TRUE);
    readyPending = true;
}

static bool createScreen(bool landscape)
{
    static const WCHAR className[] = L"KwenoHostScreen";
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = screenWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassW(&wc))
        return false;
    int width = landscape ? DEVICE_SCREEN_HEIGHT : DEVICE_SCREEN_WIDTH;
    int height = landscape ? DEVICE_SCREEN_WIDTH : DEVICE_SCREEN_HEIGHT;
    // No frame, at the display's origin: the panel places its windows in display coordinates and
    // takes the top left of its host's parent for the screen's.
    screenWindow = CreateWindowExW(0, className, L"kweno-host", WS_POPUP | WS_CLIPCHILDREN, 0, 0, width, height,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    if (!screenWindow)
        return false;
    editWindow = CreateWindowExW(0, L"Edit", L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0,
                                 0, width, height, screenWindow, nullptr, wc.hInstance, nullptr);
    if (!editWindow)
        return false;
    HFONT font = CreateFontW(-26, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
    SendMessageW(editWindow, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(screenWindow, SW_SHOW);
    SetForegroundWindow(screenWindow);
    SetFocus(editWindow);
    return true;
}

static bool loadPanel(const Options &options)
{
    CLSID clsid;
    std::string path = options.panel;
    std::vector<CLSID> candidates;
    if (clsidFromText(options.panel.c_str(), &clsid)) {
        std::string error;
        if (!serverOfClass(clsid, &path, &error)) {
            fprintf(stderr, "kweno-host: %s\n", error.c_str());
            return false;
        }
        candidates.push_back(clsid);
    } else {
        // A DLL by its path serves one of the two variants; it is asked for each in turn.
        for (const VariantFacts &variant : VARIANTS)
            candidates.push_back(variant.classId);
    }
    HRESULT hr = E_FAIL;
    for (const CLSID &candidate : candidates) {
        hr = host->load(path, candidate);
        if (SUCCEEDED(hr) || !host->module().loaded())
            break;
    }
    if (FAILED(hr)) {
        fprintf(stderr, "kweno-host: %s: %s (0x%08lx)\n", path.c_str(), host->error().c_str(),
                static_cast<unsigned long>(hr));
        return false;
    }
    printf("kweno-host: %s\n", path.c_str());
    if (!giveDeviceScreen(static_cast<HMODULE>(host->module().nativeHandle()), screenWindow))
        fprintf(stderr, "kweno-host: the panel does not ask for the screen's size; it sees the display's\n");
    return true;
}

// ---- files for whoever drives the host from outside ----

static void writeFile(const std::string &path, const std::string &content)
{
    // Written beside and then moved over, so that a reader never sees half of it.
    std::wstring target = wide(path);
    std::wstring temporary = target + L".part";
    FILE *f = _wfopen(temporary.c_str(), L"wb");
    if (!f) {
        fprintf(stderr, "kweno-host: cannot write %s\n", path.c_str());
        return;
    }
    fwrite(content.data(), 1, content.size(), f);
    fclose(f);
    MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
}

static BOOL CALLBACK takeLetterWindow(HWND window, LPARAM found)
{
    RECT r;
    if (window != screenWindow && IsWindowVisible(window) && GetWindowRect(window, &r)) {
        *reinterpret_cast<RECT *>(found) = r;
        return FALSE;
    }
    return TRUE;
}

// The panel's letter window, where the screen shows it: the one other visible top-level window of
// this thread. It holds the popup when it has the popup's height, the magnifier otherwise.
static bool findLetterWindow(RECT *letter)
{
    RECT found = {0, 0, 0, 0};
    EnumThreadWindows(GetCurrentThreadId(), takeLetterWindow, reinterpret_cast<LPARAM>(&found));
    *letter = found;
    return found.bottom > found.top;
}

static void writeReady(const std::string &path)
{
    SIZE screen = screenSize();
    RECT panel = host->windowRect();
    char text[192];
    int n = snprintf(text, sizeof text, "screen %ld %ld\npanel %ld %ld %ld %ld\n", screen.cx, screen.cy, panel.left,
                     panel.top, panel.right, panel.bottom);
    RECT letter;
    if (findLetterWindow(&letter) && n > 0 && n < (int)sizeof text)
        snprintf(text + n, sizeof text - n, "%s %ld %ld %ld %ld\n", isPopupWindow(letter) ? "popup" : "magnifier",
                 letter.left, letter.top, letter.right, letter.bottom);
    writeFile(path, text);
}

// The edit control's text, its line ends as "\n".
static std::string applicationText()
{
    int length = GetWindowTextLengthW(editWindow);
    std::vector<WCHAR> buffer(length + 1);
    GetWindowTextW(editWindow, buffer.data(), length + 1);
    std::u16string text;
    for (int i = 0; i < length; ++i) {
        if (!(buffer[i] == L'\r' && i + 1 < length && buffer[i + 1] == L'\n'))
            text += static_cast<char16_t>(buffer[i]);
    }
    return utf8FromUtf16(text);
}

static std::string callLog()
{
    std::string log;
    for (const MethodResult &r : host->results()) {
        char result[16];
        snprintf(result, sizeof result, "0x%08lx", static_cast<unsigned long>(r.result));
        log += r.method + " -> " + result + "\n";
    }
    for (const HostCall &call : host->calls())
        log += describeHostCall(call) + "\n";
    return log;
}

// ---- the keys of the host itself, taken before the application sees them ----

static bool takeCommandKey(const MSG &msg)
{
    if (msg.message != WM_KEYDOWN || !(GetKeyState(VK_CONTROL) & 0x8000))
        return false;
    if (msg.wParam == 'R') {
        SIZE screen = screenSize();
        host->rotate(screen.cy, screen.cx);
        return true;
    }
    if (msg.wParam == 'Q') {
        PostQuitMessage(0);
        return true;
    }
    return false;
}

static void run(const Options &options)
{
    std::string textWritten;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return;
            if (takeCommandKey(msg) || takeWordDelete(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        // Nothing waiting, paints included: the panel is on the screen where it says it is, and
        // its popup or magnifier, if it shows one, too.
        RECT letter;
        bool letterNow = findLetterWindow(&letter);
        if (letterNow != letterShown || (letterNow && !EqualRect(&letter, &letterAt)))
            readyPending = true;
        letterShown = letterNow;
        letterAt = letter;
        if (readyPending && !options.ready.empty())
            writeReady(options.ready);
        readyPending = false;
        // Written after --ready's file, so that whoever sees a key's character arrive finds there
        // already the screen as it stands after that key.
        std::string text = options.dumpText.empty() ? textWritten : applicationText();
        if (text != textWritten)
            writeFile(options.dumpText, text);
        textWritten = text;
        WaitMessage();
    }
}

int main(int argc, char **argv)
{
    Options options;
    int exitStatus = 0;
    if (!parseOptions(argc, argv, &options, &exitStatus))
        return exitStatus;
    if (!createScreen(options.landscape)) {
        fprintf(stderr, "kweno-host: cannot create the screen window (error %lu)\n", GetLastError());
        return 1;
    }
    HostOptions hostOptions;
    hostOptions.screen = screenWindow;
    hostOptions.placed = onPanelPlaced;
    host.reset(new InputPanelHost(hostOptions));
    host->callback().setKeyHandler(injectKeyCall);
    int status = 0;
    if (!loadPanel(options)) {
        status = 1;
    } else {
        HRESULT hr = host->activate();
        if (FAILED(hr)) {
            fprintf(stderr, "kweno-host: the panel did not start (0x%08lx)\n", static_cast<unsigned long>(hr));
            status = 1;
        } else {
            run(options);
        }
    }
    if (!options.dumpText.empty())
        writeFile(options.dumpText, applicationText());
    if (host->inputMethod())
        host->deactivate();
    if (!options.log.empty())
        writeFile(options.log, callLog());
    host->release();
    if (host->unload() == S_FALSE)
        fprintf(stderr, "kweno-host: the panel's module stays loaded: DllCanUnloadNow says it still holds objects\n");
    host.reset();
    DestroyWindow(screenWindow);
    return status;
}
