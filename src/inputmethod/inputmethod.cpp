// The IInputMethod methods: Select builds the whole panel, Deselect takes all of it down again.
#include "inputmethod.h"

#include "../input/input.h"
#include "../model/panelstate.h"
#include "../surface/imageids.h"
#include "../surface/surface.h"
#include "settings.h"

static const WCHAR KEYBOARD_CLASS[] = L"FAADE8FD-7516-4355-8233-78FE892D118E - FullKwenoIMWndClass";
static const WCHAR LETTER_CLASS[] = L"KWENO Letter Window";

InputMethod::InputMethod() : refCount(0)
{
    ++panel.lockCount;
}

InputMethod::~InputMethod()
{
    --panel.lockCount;
}

HRESULT STDMETHODCALLTYPE InputMethod::QueryInterface(REFIID riid, void **object)
{
    if (sameGuid(riid, iidIUnknown) || sameGuid(riid, iidIInputMethod)) {
        *object = static_cast<IInputMethod *>(this);
        AddRef();
        return S_OK;
    }
    *object = 0;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE InputMethod::AddRef()
{
    return (ULONG)++refCount;
}

ULONG STDMETHODCALLTYPE InputMethod::Release()
{
    LONG count = --refCount;
    if (count == 0) {
        // Releasing the object does not deselect the panel; only Deselect frees its resources.
        delete this;
        return 0;
    }
    return (ULONG)count;
}

static ATOM registerWindowClass(LPCWSTR name, WNDPROC procedure)
{
    WNDCLASSW wc;
    wc.style = 0;
    wc.lpfnWndProc = procedure;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = panel.moduleInstance;
    wc.hIcon = 0;
    wc.hCursor = 0;
    wc.hbrBackground = 0;
    wc.lpszMenuName = 0;
    wc.lpszClassName = name;
    return RegisterClassW(&wc);
}

// The panel icon goes into the image list; the list keeps its own copy of the bitmap.
static void buildIcon()
{
    panel.imageList = ImageList_Create(PANEL_ICON_SIZE, PANEL_ICON_SIZE, ILC_MASK, 1, 1);
    HBITMAP icon = LoadBitmapW(panel.resourceModule, MAKEINTRESOURCEW(panelIconId()));
    if (icon) {
        // A list that could not be made is no failure of Select; the icon is simply not shown.
        if (panel.imageList)
            ImageList_AddMasked(panel.imageList, icon, PANEL_ICON_MASK);
        DeleteObject(icon);
    }
}

// The pen state of a previous selection refers to windows that are gone.
static void forgetPenState()
{
    panel.pressedKey = 0;
    panel.heldKey = 0;
    panel.timerId = 0;
    panel.captured = 0;
    panel.popupShown = 0;
    panel.popupSelecting = 0;
    panel.popupDragged = 0;
    panel.ignoreNextUp = 0;
    panel.popupIndex = 0;
    panel.letterVisible = 0;
}

HRESULT STDMETHODCALLTYPE InputMethod::Select(HWND hwndSip)
{
    panel.hostCallback = 0;
    if (!registerWindowClass(KEYBOARD_CLASS, keyboardWindowProc))
        return E_FAIL;

    panel.resourceModule = LoadLibraryExW(RESOURCE_MODULE_PATH, 0, LOAD_LIBRARY_AS_DATAFILE);
    if (!panel.resourceModule)
        return E_FAIL;
    buildIcon();

    panel.faceDC = CreateCompatibleDC(0);
    if (!panel.faceDC)
        return E_OUTOFMEMORY;
    panel.keyboardWindow =
        CreateWindowExW(0, KEYBOARD_CLASS, L"", WS_CHILD, 0, 0, 10, 10, hwndSip, 0, panel.moduleInstance, 0);
    if (!panel.keyboardWindow)
        return E_OUTOFMEMORY;

    panel.loadedNormalImageId = 0;
    panel.loadedPressedImageId = 0;
    panel.mode = MODE_LOWER;
    forgetPenState();
    updateGeometry();
    clearPressedKeys();

    panel.imInfo.fdwFlags = SIPF_ON | SIPF_DOCKED;
    if (panel.firstSelect) {
        applyFirstSelectRule();
        panel.firstSelect = 0;
    }
    panel.imInfo.hImageNarrow = (HANDLE)panel.imageList;
    panel.imInfo.hImageWide = 0;
    panel.imInfo.iNarrow = 0;
    panel.imInfo.iWide = 0;

    if (!registerWindowClass(LETTER_CLASS, letterWindowProc))
        return E_FAIL;
    panel.letterWindow =
        CreateWindowExW(WS_EX_NOACTIVATE, LETTER_CLASS, L"", 0, 0, 0, 10, 10, 0, 0, panel.moduleInstance, 0);
    panel.letterDC = GetDC(panel.letterWindow);
    panel.letterMemDC = CreateCompatibleDC(panel.letterDC);
    panel.popupImageDC = CreateCompatibleDC(panel.letterDC);
    if (!panel.letterMemDC || !panel.popupImageDC)
        return E_OUTOFMEMORY;

    ShowWindow(panel.keyboardWindow, SW_SHOWNOACTIVATE);
    return S_OK;
}

static void deleteBitmap(HBITMAP *bitmap)
{
    if (*bitmap) {
        DeleteObject(*bitmap);
        *bitmap = 0;
    }
}

static void deleteDC(HDC *dc)
{
    if (*dc) {
        DeleteDC(*dc);
        *dc = 0;
    }
}

static void destroyWindow(HWND *window)
{
    if (*window) {
        DestroyWindow(*window);
        *window = 0;
    }
}

// Puts a memory DC's original bitmap back, so that neither it nor the one selected now leaks.
static void restoreStock(HDC dc, HBITMAP *stock)
{
    if (dc && *stock) {
        SelectObject(dc, *stock);
        *stock = 0;
    }
}

HRESULT STDMETHODCALLTYPE InputMethod::Deselect()
{
    // A host may deselect without hiding first: a key still repeating then gets its key-up while
    // the callback is there to hear it, or the application would be left with a key held down.
    endHold();
    if (panel.captured)
        ReleaseCapture();

    if (panel.letterMemDC && panel.letterStockBitmap && panel.letterBackBitmap)
        restoreStock(panel.letterMemDC, &panel.letterStockBitmap);
    deleteBitmap(&panel.letterBackBitmap);
    // Released even without the window: when the window could not be made, GetDC gave the
    // screen's DC, which must go back too.
    if (panel.letterDC) {
        ReleaseDC(panel.letterWindow, panel.letterDC);
        panel.letterDC = 0;
    }
    deleteDC(&panel.letterMemDC);
    destroyWindow(&panel.letterWindow);

    if (panel.imageList) {
        ImageList_Destroy(panel.imageList);
        panel.imageList = 0;
    }

    restoreStock(panel.faceDC, &panel.faceStockBitmap);
    deleteBitmap(&panel.normalFaceBitmap);
    deleteBitmap(&panel.pressedFaceBitmap);
    deleteDC(&panel.faceDC);

    restoreStock(panel.popupImageDC, &panel.popupStockBitmap);
    deleteBitmap(&panel.popupNormalBitmap);
    deleteBitmap(&panel.popupPressedBitmap);
    deleteDC(&panel.popupImageDC);

    destroyWindow(&panel.keyboardWindow);

    if (panel.resourceModule) {
        FreeLibrary(panel.resourceModule);
        panel.resourceModule = 0;
    }

    UnregisterClassW(LETTER_CLASS, panel.moduleInstance);
    UnregisterClassW(KEYBOARD_CLASS, panel.moduleInstance);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputMethod::Showing()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputMethod::Hiding()
{
    return cancelPen();
}

HRESULT STDMETHODCALLTYPE InputMethod::GetInfo(IMINFO *info)
{
    // The whole record as this platform lays it out (40 bytes on the 32-bit device).
    *info = panel.imInfo;
    if (panel.hostCallback)
        panel.hostCallback->SetImInfo(&panel.imInfo);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputMethod::ReceiveSipInfo(SIPINFO *sipInfo)
{
    const RECT &granted = sipInfo->rcSipRect;
    LONG width = granted.right - granted.left;
    LONG height = granted.bottom - granted.top;
    HWND host = GetParent(panel.keyboardWindow);

    RECT r;
    if (host && GetWindowRect(host, &r)) {
        // The host window keeps its bottom edge and grows or shrinks upwards.
        if (!(r.left == 0 && r.right == width && r.bottom - r.top == height))
            MoveWindow(host, 0, r.bottom - height, width, height, FALSE);
        GetWindowRect(host, &panel.hostRect);
    }
    MoveWindow(panel.keyboardWindow, 0, 0, width, height, FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputMethod::RegisterCallback(IIMCallback *callback)
{
    // The host owns the callback; the panel takes no reference.
    panel.hostCallback = callback;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InputMethod::GetImData(DWORD, void *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE InputMethod::SetImData(DWORD, void *)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE InputMethod::UserOptionsDlg(HWND)
{
    return E_NOTIMPL;
}
