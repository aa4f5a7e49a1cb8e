// The input-panel host: the panel's lifecycle through IInputMethod, the host's window and its
// placement from the panel's rectangle.
#include "host.h"

#include <algorithm>
#include <cstring>
#include <utility>

#if !defined(_WIN32)
#include <emu.h>
#endif

static const WCHAR hostClassName[] = L"KwenoHostInputPanel";
static const WCHAR applicationClassName[] = L"KwenoHostApplication";

// Window procedures find their host here: SetWindowLongW holds only 32 bits on the emulation.
static std::vector<std::pair<HWND, InputPanelHost *>> hostsByWindow;

static int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Reads `digits` hex digits at text; false if any is not one.
static bool readHex(const char *&text, int digits, unsigned long long *value)
{
    *value = 0;
    for (int i = 0; i < digits; ++i) {
        int d = hexDigit(*text);
        if (d < 0)
            return false;
        *value = (*value << 4) | static_cast<unsigned>(d);
        ++text;
    }
    return true;
}

static bool expect(const char *&text, char c)
{
    if (*text != c)
        return false;
    ++text;
    return true;
}

bool clsidFromText(const char *text, CLSID *clsid)
{
    bool braced = *text == '{';
    if (braced)
        ++text;
    unsigned long long v;
    CLSID out;
    if (!readHex(text, 8, &v) || !expect(text, '-'))
        return false;
    out.Data1 = static_cast<DWORD>(v);
    if (!readHex(text, 4, &v) || !expect(text, '-'))
        return false;
    out.Data2 = static_cast<WORD>(v);
    if (!readHex(text, 4, &v) || !expect(text, '-'))
        return false;
    out.Data3 = static_cast<WORD>(v);
    for (int i = 0; i < 8; ++i) {
        if (i == 2 && !expect(text, '-'))
            return false;
        if (!readHex(text, 2, &v))
            return false;
        out.Data4[i] = static_cast<BYTE>(v);
    }
    if (braced && !expect(text, '}'))
        return false;
    if (*text != '\0')
        return false;
    *clsid = out;
    return true;
}

static HINSTANCE hostInstance()
{
#if defined(_WIN32)
    return GetModuleHandleW(nullptr);
#else
    return nullptr;
#endif
}

static InputPanelHost *hostOf(HWND hwnd)
{
    for (const auto &entry : hostsByWindow) {
        if (entry.first == hwnd)
            return entry.second;
    }
    return nullptr;
}

static LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    InputPanelHost *host = hostOf(hwnd);
    if (host)
        return host->handleMessage(hwnd, msg, wParam, lParam);
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

static LRESULT CALLBACK applicationWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

static void registerWindowClass(const WCHAR *name, WNDPROC proc)
{
    WNDCLASSW wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = hostInstance();
    wc.lpszClassName = name;
    // A second host in the same process finds the class already there, which is fine.
    RegisterClassW(&wc);
}

InputPanelHost::InputPanelHost(const HostOptions &options) : options_(options)
{
    memset(&imInfo_, 0, sizeof imInfo_);
    callback_.setImInfoHandler([this](const IMINFO &imInfo) { onImInfo(imInfo); });
    createWindows();
}

InputPanelHost::~InputPanelHost()
{
    if (selected_)
        deactivate();
    release();
    // A module that still holds objects stays loaded: its code may yet be called.
    module_.unload();
    destroyWindows();
}

SIZE InputPanelHost::screenSize() const
{
    SIZE size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT client;
    if (options_.screen && GetClientRect(options_.screen, &client)) {
        size.cx = client.right - client.left;
        size.cy = client.bottom - client.top;
    }
    return size;
}

void InputPanelHost::createWindows()
{
    registerWindowClass(hostClassName, hostWindowProc);
    SIZE screen = screenSize();
    // Across the bottom of the screen, with no height until the panel has said where it goes: the
    // panel anchors its rectangle at the bottom of this window and sizes it itself.
    int width = screen.cx;
    int height = 0;
    // Created hidden: the panel is shown once it has said where it goes. Not topmost: the panel's
    // magnifier and popup are ordinary top-level windows that must float over it. Inside a screen
    // window it is a child, which takes clicks without ever being activated, so the focus stays
    // where the application has it.
    if (options_.screen)
        window_ = CreateWindowExW(0, hostClassName, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0,
                                  screen.cy - height, width, height, options_.screen, nullptr, hostInstance(), nullptr);
    else
        window_ = CreateWindowExW(WS_EX_NOACTIVATE, hostClassName, L"", WS_POPUP | WS_CLIPCHILDREN, 0,
                                  screen.cy - height, width, height, nullptr, nullptr, hostInstance(), nullptr);
    if (window_)
        hostsByWindow.emplace_back(window_, this);
    if (options_.applicationWindow) {
        registerWindowClass(applicationClassName, applicationWindowProc);
        appWindow_ = CreateWindowExW(0, applicationClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, screen.cx,
                                     screen.cy - height, nullptr, nullptr, hostInstance(), nullptr);
    }
}

void InputPanelHost::destroyWindows()
{
    if (appWindow_) {
        DestroyWindow(appWindow_);
        appWindow_ = nullptr;
        UnregisterClassW(applicationClassName, hostInstance());
    }
    if (window_) {
        DestroyWindow(window_);
        hostsByWindow.erase(
            std::remove_if(hostsByWindow.begin(), hostsByWindow.end(),
                           [this](const std::pair<HWND, InputPanelHost *> &entry) { return entry.second == this; }),
            hostsByWindow.end());
        window_ = nullptr;
    }
    // The class is shared by every host of the process: the last one to go takes it away.
    if (hostsByWindow.empty())
        UnregisterClassW(hostClassName, hostInstance());
}

HRESULT InputPanelHost::recordResult(const char *method, HRESULT hr)
{
    results_.push_back(MethodResult{method, hr});
    return hr;
}

HRESULT InputPanelHost::load(const std::string &path, REFCLSID clsid)
{
    error_.clear();
    // A module kept loaded because it still held objects serves the next load as it is.
    bool reuse = module_.loaded() && module_.path() == path;
    if (!reuse && !module_.load(path)) {
        error_ = module_.error();
        return E_FAIL;
    }
    return createObject(clsid);
}

HRESULT InputPanelHost::loadClass(REFCLSID clsid)
{
    error_.clear();
    std::string path;
    if (!serverOfClass(clsid, &path, &error_))
        return E_FAIL;
    // The registry names a path of the platform, which its own loader takes.
    return load(path, clsid);
}

HRESULT InputPanelHost::createObject(REFCLSID clsid)
{
    IClassFactory *factory = nullptr;
    HRESULT hr = module_.getClassObject(clsid, iidIClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr) || !factory) {
        error_ = "DllGetClassObject failed";
        return FAILED(hr) ? hr : E_FAIL;
    }
    hr = factory->CreateInstance(nullptr, iidIInputMethod, reinterpret_cast<void **>(&inputMethod_));
    factory->Release();
    if (FAILED(hr) || !inputMethod_) {
        inputMethod_ = nullptr;
        error_ = "CreateInstance failed";
        return FAILED(hr) ? hr : E_FAIL;
    }
    return S_OK;
}

ULONG InputPanelHost::release()
{
    if (!inputMethod_)
        return 0;
    ULONG count = inputMethod_->Release();
    inputMethod_ = nullptr;
    return count;
}

HRESULT InputPanelHost::unload()
{
    release();
    return module_.unload();
}

HRESULT InputPanelHost::select()
{
    if (!inputMethod_)
        return recordResult("Select", E_POINTER);
    HRESULT hr = inputMethod_->Select(window_);
    // Even a failed Select leaves things behind that only Deselect takes away.
    selected_ = true;
    return recordResult("Select", hr);
}

HRESULT InputPanelHost::registerCallback(bool withCallback)
{
    if (!inputMethod_)
        return recordResult("RegisterCallback", E_POINTER);
    return recordResult("RegisterCallback", inputMethod_->RegisterCallback(withCallback ? &callback_ : nullptr));
}

HRESULT InputPanelHost::getInfo(IMINFO *imInfo)
{
    if (!inputMethod_)
        return recordResult("GetInfo", E_POINTER);
    memset(imInfo, 0, sizeof *imInfo);
    imInfo->cbSize = sizeof *imInfo;
    // The panel announces its record through SetImInfo too; the caller places the window itself.
    inGetInfo_ = true;
    HRESULT hr = inputMethod_->GetInfo(imInfo);
    inGetInfo_ = false;
    if (SUCCEEDED(hr))
        memcpy(&imInfo_, imInfo, sizeof imInfo_);
    return recordResult("GetInfo", hr);
}

HRESULT InputPanelHost::receiveSipInfo(const RECT &sipRect)
{
    if (!inputMethod_)
        return recordResult("ReceiveSipInfo", E_POINTER);
    SIPINFO sipInfo;
    memset(&sipInfo, 0, sizeof sipInfo);
    sipInfo.cbSize = sizeof sipInfo;
    sipInfo.fdwFlags = imInfo_.fdwFlags;
    sipInfo.rcVisibleDesktop.right = screenSize().cx;
    sipInfo.rcVisibleDesktop.bottom = sipRect.top;
    sipInfo.rcSipRect = sipRect;
    return recordResult("ReceiveSipInfo", inputMethod_->ReceiveSipInfo(&sipInfo));
}

HRESULT InputPanelHost::showing()
{
    if (!inputMethod_)
        return recordResult("Showing", E_POINTER);
    return recordResult("Showing", inputMethod_->Showing());
}

HRESULT InputPanelHost::hiding()
{
    if (!inputMethod_)
        return recordResult("Hiding", E_POINTER);
    return recordResult("Hiding", inputMethod_->Hiding());
}

HRESULT InputPanelHost::deselect()
{
    if (!inputMethod_)
        return recordResult("Deselect", E_POINTER);
    selected_ = false;
    return recordResult("Deselect", inputMethod_->Deselect());
}

HRESULT InputPanelHost::show()
{
    // Showing comes just before the window appears, Hiding just before it goes.
    HRESULT hr = showing();
    ShowWindow(window_, SW_SHOWNA);
    shown_ = true;
    return hr;
}

HRESULT InputPanelHost::hide()
{
    HRESULT hr = hiding();
    ShowWindow(window_, SW_HIDE);
    shown_ = false;
    return hr;
}

HRESULT InputPanelHost::activate()
{
    HRESULT hr = select();
    if (FAILED(hr))
        return hr;
    hr = registerCallback();
    if (FAILED(hr))
        return hr;
    IMINFO info;
    hr = getInfo(&info);
    if (FAILED(hr))
        return hr;
    placeWindow(info.rcSipRect);
    hr = receiveSipInfo(info.rcSipRect);
    if (FAILED(hr))
        return hr;
    placedForPanel();
    // A panel that is docked but not on stays hidden until someone raises it.
    if ((info.fdwFlags & SIPF_ON) || options_.alwaysShow)
        return show();
    return S_OK;
}

HRESULT InputPanelHost::deactivate()
{
    if (shown_) {
        HRESULT hr = hide();
        if (FAILED(hr))
            return hr;
    }
    return deselect();
}

RECT InputPanelHost::windowRect() const
{
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window_, &rect);
    return rect;
}

void InputPanelHost::placeWindow(const RECT &sipRect)
{
    MoveWindow(window_, sipRect.left, sipRect.top, sipRect.right - sipRect.left, sipRect.bottom - sipRect.top, TRUE);
}

void InputPanelHost::placedForPanel()
{
#if defined(_WIN32)
    // The panel sizes its keyboard without a repaint, as the device wants; on the desktop the
    // area that grew would stay unpainted, so the host has everything drawn afresh.
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
#endif
    // The application makes room for the panel, as it does on the device when the panel shows.
    if (appWindow_)
        MoveWindow(appWindow_, 0, 0, screenSize().cx, windowRect().top, FALSE);
    if (options_.placed)
        options_.placed(windowRect());
}

void InputPanelHost::onImInfo(const IMINFO &imInfo)
{
    memcpy(&imInfo_, &imInfo, sizeof imInfo_);
    // Inside GetInfo the host places the window itself once the call returns.
    if (inGetInfo_ || !selected_)
        return;
    placeWindow(imInfo.rcSipRect);
    receiveSipInfo(imInfo.rcSipRect);
    placedForPanel();
}

void InputPanelHost::dockAtBottom()
{
    RECT rect = windowRect();
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    int screenHeight = screenSize().cy;
    if (rect.left != 0 || rect.bottom != screenHeight)
        MoveWindow(window_, 0, screenHeight - height, width, height, TRUE);
}

// The system tells top-level windows only; the panel's keyboard window, a child of the host's,
// hears of a settings change from the host.
void InputPanelHost::forwardToChildren(UINT msg, WPARAM wParam, LPARAM lParam)
{
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        SendMessageW(child, msg, wParam, lParam);
}

LRESULT InputPanelHost::handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SETTINGCHANGE) {
        if (wParam == SETTINGCHANGE_RESET) {
            // Dock at the bottom of the new screen first: the panel anchors its rectangle at the
            // bottom of this window when it hears of the change.
            dockAtBottom();
        }
        forwardToChildren(msg, wParam, lParam);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void InputPanelHost::rotate(int width, int height)
{
#if defined(_WIN32)
    // Desktop Windows cannot turn its display; a screen window turns, and the notice goes through
    // the same path as on the device.
    if (options_.screen)
        SetWindowPos(options_.screen, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(window_, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    pump();
#else
    // The system tells every top-level window; the host docks at the bottom of the new screen when
    // it hears of it and forwards the notice to the panel.
    emuRotate(width, height);
    emuPump();
#endif
}
