// A tiny input method for exercising the host before and beside the real panel: an in-process
// server with the two exports, one class, a keyboard window with a few keys and a one-shot shift.
#include "fakeclsid.h"
#include <cstring>

#include <windows.h>

#include <sip.h>

#if defined(_WIN32)
#define FAKE_EXPORT
#else
#define FAKE_EXPORT __attribute__((visibility("default")))
#endif

static const WCHAR keyboardClassName[] = L"FakeInputMethodKeyboard";

enum FakeMode { FAKE_LOWER, FAKE_SHIFT, FAKE_NUMERIC };

// Module-wide, as a panel keeps it: one keyboard per loaded module.
static LONG lockCount;
static HINSTANCE moduleInstance;
static HWND keyboardWindow;
static IIMCallback *hostCallback;
static IMINFO imInfo;
static FakeMode mode;

static void updateGeometry()
{
    RECT host;
    GetWindowRect(GetParent(keyboardWindow), &host);
    bool portrait = GetSystemMetrics(SM_CXSCREEN) < GetSystemMetrics(SM_CYSCREEN);
    imInfo.rcSipRect.left = 0;
    imInfo.rcSipRect.right = portrait ? 480 : 640;
    imInfo.rcSipRect.bottom = host.bottom;
    imInfo.rcSipRect.top = host.bottom - (portrait ? 252 : 216);
}

static void sendCharacter(UINT vk, UINT character, bool shifted)
{
    UINT down = shifted ? 0x20000080 : 0x80;
    UINT up = shifted ? 0x20010040 : 0x10040;
    if (FAILED(hostCallback->SendCharEvents(vk, down, 1, &down, &character)))
        return;
    hostCallback->SendCharEvents(vk, up, 1, &up, &character);
}

// The keys sit where the real panel has the same keys in portrait: the top row, the shift key at
// the left of the third row, the mode key at the left of the bottom row.
static void onTap(int x, int y)
{
    RECT client;
    GetClientRect(keyboardWindow, &client);
    int width = client.right > 0 ? client.right : 480;
    int rowHeight = client.bottom > 0 ? client.bottom / 4 : 63;
    int row = y / rowHeight;
    int x480 = x * 480 / width;
    if (row == 2 && x480 < 72) {
        mode = mode == FAKE_SHIFT ? FAKE_LOWER : FAKE_SHIFT;
    } else if (row == 3 && x480 < 72) {
        mode = mode == FAKE_NUMERIC ? FAKE_LOWER : FAKE_NUMERIC;
    } else if (row == 0 && mode == FAKE_NUMERIC) {
        int digit = x480 / 96; // 7, 8, 9 in the second to fourth cells
        if (digit >= 1 && digit <= 3)
            sendCharacter('6' + digit, '6' + digit, false);
    } else if (row == 0) {
        static const char letters[] = "qwertzuiop";
        char letter = letters[x480 / 48];
        bool shifted = mode == FAKE_SHIFT;
        sendCharacter(letter - 'a' + 'A', shifted ? letter - 'a' + 'A' : letter, shifted);
        if (shifted)
            mode = FAKE_LOWER;
    }
}

static LRESULT CALLBACK keyboardWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_LBUTTONDOWN:
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        ReleaseCapture();
        if (hostCallback)
            onTap(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
        return 0;
    case WM_SETTINGCHANGE:
        if (wParam == SETTINGCHANGE_RESET) {
            updateGeometry();
            imInfo.fdwFlags = SIPF_DOCKED;
            if (hostCallback)
                hostCallback->SetImInfo(&imInfo);
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(hwnd, &ps);
        EndPaint(hwnd, &ps);
        return 0;
    }
    default:
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

// IUnknown for an object of one interface: its reference count, and its share of the module's lock
// count for as long as it lives.
template <class Interface, const IID &interfaceId> struct ComObject : public Interface {
    LONG refCount;

    explicit ComObject(LONG references) : refCount(references) { ++lockCount; }
    virtual ~ComObject() { --lockCount; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        *ppv = nullptr;
        if (!sameGuid(riid, iidIUnknown) && !sameGuid(riid, interfaceId))
            return E_NOINTERFACE;
        *ppv = static_cast<Interface *>(this);
        this->AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refCount; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        if (--refCount == 0) {
            delete this;
            return 0;
        }
        return refCount;
    }
};

struct FakeInputMethod : public ComObject<IInputMethod, iidIInputMethod> {
    FakeInputMethod() : ComObject(0) {}

    HRESULT STDMETHODCALLTYPE Select(HWND hwndSip) override
    {
        hostCallback = nullptr;
        WNDCLASSW wc;
        memset(&wc, 0, sizeof wc);
        wc.lpfnWndProc = keyboardWindowProc;
        wc.hInstance = moduleInstance;
        wc.lpszClassName = keyboardClassName;
        if (!RegisterClassW(&wc))
            return E_FAIL;
        keyboardWindow = CreateWindowExW(0, keyboardClassName, L"", WS_CHILD, 0, 0, 10, 10, hwndSip, nullptr,
                                         moduleInstance, nullptr);
        if (!keyboardWindow)
            return E_OUTOFMEMORY;
        mode = FAKE_LOWER;
        updateGeometry();
        imInfo.fdwFlags = SIPF_ON | SIPF_DOCKED;
        ShowWindow(keyboardWindow, SW_SHOWNOACTIVATE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Deselect() override
    {
        if (keyboardWindow) {
            DestroyWindow(keyboardWindow);
            keyboardWindow = nullptr;
        }
        UnregisterClassW(keyboardClassName, moduleInstance);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Showing() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Hiding() override
    {
        if (GetCapture() == keyboardWindow)
            ReleaseCapture();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetInfo(IMINFO *pimi) override
    {
        memcpy(pimi, &imInfo, sizeof imInfo);
        if (hostCallback)
            hostCallback->SetImInfo(&imInfo);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ReceiveSipInfo(SIPINFO *psi) override
    {
        int w = psi->rcSipRect.right - psi->rcSipRect.left;
        int h = psi->rcSipRect.bottom - psi->rcSipRect.top;
        HWND host = GetParent(keyboardWindow);
        RECT r;
        GetWindowRect(host, &r);
        if (r.left != 0 || r.right != w || r.bottom - r.top != h)
            MoveWindow(host, 0, r.bottom - h, w, h, FALSE);
        MoveWindow(keyboardWindow, 0, 0, w, h, FALSE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE RegisterCallback(IIMCallback *pIMCallback) override
    {
        hostCallback = pIMCallback;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetImData(DWORD, void *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetImData(DWORD, void *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UserOptionsDlg(HWND) override { return E_NOTIMPL; }
};

struct FakeClassFactory : public ComObject<IClassFactory, iidIClassFactory> {
    GUID requested;

    explicit FakeClassFactory(REFCLSID clsid) : ComObject(1), requested(clsid) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override
    {
        if (ppv)
            *ppv = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (!sameGuid(requested, fakeClsid))
            return E_FAIL;
        FakeInputMethod *object = new FakeInputMethod;
        HRESULT hr = object->QueryInterface(riid, ppv);
        if (FAILED(hr))
            delete object;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override
    {
        lockCount += lock ? 1 : -1;
        return S_OK;
    }
};

extern "C" FAKE_EXPORT HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    FakeClassFactory *factory = new FakeClassFactory(rclsid);
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

extern "C" FAKE_EXPORT HRESULT STDMETHODCALLTYPE DllCanUnloadNow(void)
{
    return lockCount == 0 ? S_OK : S_FALSE;
}

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        moduleInstance = instance;
    return TRUE;
}
#endif
