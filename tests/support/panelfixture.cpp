// The selected-panel fixture of the white-box tests.
#include "panelfixture.h"

#include <map>

#include "surface/surface.h"

namespace testsupport {

static LRESULT CALLBACK hostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

static const WCHAR hostClass[] = L"KwenoTestHost";

void PanelTest::startSession()
{
    emuReset();
    callback.clearCalls();
    hostWindow = nullptr;
    inputMethod = nullptr;
    failures.clear();
    callsAtStart.clear();
    requireSelect = true;
    selectResult = S_OK;
    selected = false;
    expectNoViolations = true;
    expectNothingAlive = true;
    sessionOpen = true;
    HINSTANCE instance = panel.moduleInstance;
    panel = panelStateAtLoad;
    panel.moduleInstance = instance;
    clearPressedKeys();
    mark = emuMark();
}

void PanelTest::installSkin(const std::set<unsigned> &omit)
{
    // Drawing the skin takes a while under the sanitizers: each variant of it is made once.
    static std::map<std::set<unsigned>, Bytes> made;
    auto it = made.find(omit);
    if (it == made.end())
        it = made.emplace(omit, buildTestSkin(omit)).first;
    emuRegisterModule("\\Windows\\KWENO_Resources.dll", it->second.data(), it->second.size());
}

void PanelTest::select(bool registerCallback)
{
    if (!hostWindow) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = hostWindowProc;
        wc.lpszClassName = hostClass;
        RegisterClassW(&wc);
        int height = emuScreenHeight() > emuScreenWidth() ? PORTRAIT_HEIGHT : LANDSCAPE_HEIGHT;
        hostWindow = CreateWindowExW(0, hostClass, L"", WS_POPUP, 0, emuScreenHeight() - height, emuScreenWidth(),
                                     height, 0, 0, 0, 0);
        ShowWindow(hostWindow, SW_SHOWNA);
        mark = emuMark();
    }
    for (const ArmedFailure &f : failures)
        if (!callsAtStart.count(f.function))
            callsAtStart[f.function] = emuCallCount(f.function.c_str());

    if (!inputMethod) {
        inputMethod = new InputMethod();
        inputMethod->AddRef();
    }
    for (const ArmedFailure &f : failures)
        emuFailCall(f.function.c_str(), f.nth - (emuCallCount(f.function.c_str()) - callsAtStart[f.function]));
    selectResult = inputMethod->Select(hostWindow);
    // Deselect is due whatever Select returned.
    selected = true;
    if (requireSelect)
        ASSERT_EQ(S_OK, selectResult);
    else if (selectResult != S_OK)
        return;
    if (registerCallback)
        inputMethod->RegisterCallback(&callback);
    IMINFO info;
    inputMethod->GetInfo(&info);
    SIPINFO sip = {};
    sip.rcSipRect = info.rcSipRect;
    inputMethod->ReceiveSipInfo(&sip);
    emuPump();
    callback.clearCalls();
}

void PanelTest::deselect()
{
    if (!selected)
        return;
    inputMethod->Deselect();
    selected = false;
}

void PanelTest::endSession()
{
    if (!sessionOpen)
        return;
    sessionOpen = false;
    deselect();
    if (inputMethod) {
        inputMethod->Release();
        inputMethod = nullptr;
    }
    if (expectNothingAlive)
        EXPECT_EQ(0, emuCheckNoneAliveSince(mark,
                                            (1 << EMU_WINDOW) | (1 << EMU_CLASS) | (1 << EMU_DC) | (1 << EMU_BITMAP) |
                                                (1 << EMU_IMAGELIST) | (1 << EMU_MODULE) | (1 << EMU_KEY),
                                            "after Deselect"))
            << "the panel left objects alive";
    if (hostWindow)
        DestroyWindow(hostWindow);
    UnregisterClassW(hostClass, 0);
    if (expectNoViolations) {
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << "emulation violation: " << emuViolation(i);
    }
}

void PanelTest::rotate(int width, int height)
{
    // As the device's host does: its window goes to the bottom of the new screen, the panel hears
    // of the change, and the host then places its window where the panel asks and grants it.
    emuSetScreenSize(width, height);
    RECT r;
    GetWindowRect(hostWindow, &r);
    MoveWindow(hostWindow, 0, height - (r.bottom - r.top), width, r.bottom - r.top, FALSE);
    SendMessageW(panel.keyboardWindow, WM_SETTINGCHANGE, SETTINGCHANGE_RESET, 0);
    const RECT &sip = panel.imInfo.rcSipRect;
    MoveWindow(hostWindow, sip.left, sip.top, sip.right - sip.left, sip.bottom - sip.top, FALSE);
    SIPINFO info = {};
    info.rcSipRect = sip;
    inputMethod->ReceiveSipInfo(&info);
    InvalidateRect(hostWindow, 0, FALSE);
    InvalidateRect(panel.keyboardWindow, 0, FALSE);
    emuPump();
}

void PanelTest::penDown(int x, int y)
{
    emuPenDown(x, y + hostTop());
}
void PanelTest::penMove(int x, int y)
{
    emuPenMove(x, y + hostTop());
}
void PanelTest::penUp(int x, int y)
{
    emuPenUp(x, y + hostTop());
}

void PanelTest::tap(int x, int y)
{
    penDown(x, y);
    penUp(x, y);
}

int PanelTest::keyX(int row, int slot) const
{
    const KeyRecord &k = (*panel.currentLayout)[row][slot];
    return (k.left + k.right) / 2;
}

int PanelTest::keyY(int row) const
{
    const RowBounds &b = *panel.currentRowBounds;
    return (b[row] + b[row + 1]) / 2;
}

void PanelTest::tapKey(int row, int slot)
{
    tap(keyX(row, slot), keyY(row));
}

FacePixel PanelTest::faceAt(int x, int y) const
{
    return decodeFace(emuScreenPixel(x, y + panel.hostRect.top));
}

} // namespace testsupport
