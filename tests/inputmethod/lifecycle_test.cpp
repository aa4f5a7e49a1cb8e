// Select and Deselect: what is made and released, the failure of each step, and the host exchange.
#include "support/panelfixture.h"

using namespace testsupport;

namespace {

class Lifecycle : public PanelTest {
  protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        makeHost();
    }
    // The host's window, made before the mark so that only what the panel makes is counted.
    void makeHost()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.lpszClassName = L"LifecycleHost";
        RegisterClassW(&wc);
        hostWindow = CreateWindowExW(0, L"LifecycleHost", L"", WS_POPUP, 0, 388, 480, 252, 0, 0, 0, 0);
        ShowWindow(hostWindow, SW_SHOWNA);
        mark = emuMark();
    }
    HRESULT selectOnly()
    {
        if (!inputMethod) {
            inputMethod = new InputMethod();
            inputMethod->AddRef();
        }
        HRESULT r = inputMethod->Select(hostWindow);
        selected = true; // Deselect is due whatever Select returned
        return r;
    }
    DWORD firstFlags()
    {
        IMINFO info;
        inputMethod->GetInfo(&info);
        return info.fdwFlags;
    }
};

TEST_F(Lifecycle, SelectMakesTheWholePanelAndDeselectReleasesAllOfIt)
{
    installSkin();
    ASSERT_EQ(S_OK, selectOnly());
    EXPECT_EQ(2, emuLiveCount(EMU_CLASS) - 1) << "keyboard and letter classes besides the host's";
    EXPECT_EQ(1, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(1, emuLiveCount(EMU_IMAGELIST));
    EXPECT_EQ(4, emuLiveCount(EMU_DC)) << "face DC, letter window DC, letter memory DC, popup DC";
    EXPECT_TRUE(IsWindowVisible(panel.keyboardWindow));
    EXPECT_FALSE(IsWindowVisible(panel.letterWindow));
    EXPECT_EQ(hostWindow, GetParent(panel.keyboardWindow));
    EXPECT_EQ((LONG)WS_EX_NOACTIVATE, GetWindowLongW(panel.letterWindow, GWL_EXSTYLE));
    EXPECT_EQ(0, GetWindowLongW(panel.letterWindow, GWL_STYLE)) << "no caption or border";
    EXPECT_EQ(1, ImageList_GetImageCount((HIMAGELIST)panel.imInfo.hImageNarrow));
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));

    EXPECT_EQ(S_OK, inputMethod->Deselect());
    selected = false;
    EXPECT_EQ(0, emuLiveCount(EMU_DC));
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(1, emuLiveCount(EMU_CLASS)) << "both panel classes unregistered";
    EXPECT_EQ(S_OK, inputMethod->Deselect()) << "a second Deselect releases nothing";
}

struct FailingStep {
    const char *function;
    int nth;
    HRESULT result;
};

TEST_F(Lifecycle, EachFailingStepOfSelectGivesItsResultAndALaterSelectSucceeds)
{
    static const FailingStep steps[] = {
        {"RegisterClassW", 1, E_FAIL},            // keyboard class
        {"LoadLibraryExW", 1, E_FAIL},            // resource module
        {"CreateCompatibleDC", 1, E_OUTOFMEMORY}, // face DC
        {"CreateWindowExW", 1, E_OUTOFMEMORY},    // keyboard window
        {"RegisterClassW", 2, E_FAIL},            // letter class
        {"CreateCompatibleDC", 2, E_OUTOFMEMORY}, // letter memory DC
        {"CreateCompatibleDC", 3, E_OUTOFMEMORY}, // popup DC
        {"ImageList_Create", 1, S_OK},            // not tested
        {"LoadBitmapW", 1, S_OK},                 // a missing icon is no failure
        {"CreateWindowExW", 2, S_OK},             // letter window: not tested
        {"GetDC", 1, S_OK},                       // its DC: not tested
    };
    installSkin();
    for (const FailingStep &step : steps) {
        SCOPED_TRACE(testing::Message() << step.function << " #" << step.nth);
        emuFailCall(step.function, step.nth);
        EXPECT_EQ(step.result, selectOnly());
        emuClearFailures();
        EXPECT_EQ(S_OK, inputMethod->Deselect());
        EXPECT_EQ(0, emuCheckNoneAliveSince(mark, 0x7F, "after a failed Select"));
        EXPECT_EQ(S_OK, selectOnly()) << "Select after the Deselect";
        EXPECT_EQ(S_OK, inputMethod->Deselect());
        selected = false;
    }
}

TEST_F(Lifecycle, AMissingModuleFailsAndTheClassStaysRegisteredUntilDeselect)
{
    EXPECT_EQ(E_FAIL, selectOnly());
    EXPECT_EQ(E_FAIL, selectOnly()) << "the keyboard class is still registered";
    installSkin();
    EXPECT_EQ(E_FAIL, selectOnly());
    inputMethod->Deselect();
    EXPECT_EQ(S_OK, selectOnly());
}

TEST_F(Lifecycle, AMissingIconLeavesAnEmptyImageList)
{
    installSkin({1u});
    ASSERT_EQ(S_OK, selectOnly());
    ASSERT_NE(nullptr, panel.imInfo.hImageNarrow);
    EXPECT_EQ(0, ImageList_GetImageCount((HIMAGELIST)panel.imInfo.hImageNarrow));
}

TEST_F(Lifecycle, GetInfoCopiesTheRecordAndAnnouncesItOnlyToARegisteredCallback)
{
    installSkin();
    ASSERT_EQ(S_OK, selectOnly());
    IMINFO info;
    memset(&info, 0xEE, sizeof info);
    EXPECT_EQ(S_OK, inputMethod->GetInfo(&info));
    EXPECT_EQ(0u, info.cbSize) << "the whole record is copied, cbSize included";
    EXPECT_EQ((HANDLE)panel.imageList, info.hImageNarrow);
    EXPECT_EQ(nullptr, info.hImageWide);
    EXPECT_EQ(0, info.iNarrow);
    EXPECT_EQ(0, info.iWide);
    EXPECT_EQ((DWORD)(SIPF_ON | SIPF_DOCKED), info.fdwFlags);
    EXPECT_EQ(0, info.rcSipRect.left);
    EXPECT_EQ(640 - 252, info.rcSipRect.top);
    EXPECT_EQ(480, info.rcSipRect.right);
    EXPECT_EQ(640, info.rcSipRect.bottom);
    EXPECT_TRUE(callback.calls().empty());

    inputMethod->RegisterCallback(&callback);
    inputMethod->GetInfo(&info);
    inputMethod->GetInfo(&info);
    EXPECT_TRUE(callsAre(callback.calls(), {imInfo(3), imInfo(3)}));
    EXPECT_EQ(0, callback.addRefCount()) << "the panel takes no reference on the callback";
    EXPECT_EQ(0, callback.releaseCount());

    inputMethod->RegisterCallback(nullptr);
    inputMethod->GetInfo(&info);
    EXPECT_EQ(2u, callback.calls().size());
}

TEST_F(Lifecycle, ReceiveSipInfoMovesTheHostWindowOnlyWhenItMustAndKeepsItsBottom)
{
    installSkin();
    ASSERT_EQ(S_OK, selectOnly());
    SIPINFO sip = {};
    sip.rcSipRect = {0, 388, 480, 640};
    int moves = emuCallCount("MoveWindow");
    inputMethod->ReceiveSipInfo(&sip);
    EXPECT_EQ(moves + 1, emuCallCount("MoveWindow")) << "only the keyboard window moves";
    RECT r;
    GetWindowRect(panel.keyboardWindow, &r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(388, r.top);
    EXPECT_EQ(480, r.right);
    EXPECT_EQ(640, r.bottom);

    sip.rcSipRect = {0, 0, 480, 300};
    inputMethod->ReceiveSipInfo(&sip);
    GetWindowRect(hostWindow, &r);
    EXPECT_EQ(640 - 300, r.top) << "the host window grows upwards";
    EXPECT_EQ(640, r.bottom);
    EXPECT_EQ(640 - 300, panel.hostRect.top);
    GetClientRect(panel.keyboardWindow, &r);
    EXPECT_EQ(480, r.right);
    EXPECT_EQ(300, r.bottom);

    // Granted at another left edge or width, the host window goes to x 0 with that width.
    const RECT elsewhere[] = {{20, 388, 500, 640}, {0, 400, 440, 640}};
    for (const RECT &granted : elsewhere) {
        sip.rcSipRect = granted;
        inputMethod->ReceiveSipInfo(&sip);
        GetWindowRect(hostWindow, &r);
        EXPECT_EQ(0, r.left);
        EXPECT_EQ(640 - (granted.bottom - granted.top), r.top);
        EXPECT_EQ(granted.right - granted.left, r.right);
        EXPECT_EQ(640, r.bottom);
        GetClientRect(panel.keyboardWindow, &r);
        EXPECT_EQ(granted.right - granted.left, r.right);
    }
}

// The letter window's contexts are the last step that can fail; the keyboard is then never shown.
TEST_F(Lifecycle, ASelectFailingAtTheLetterContextsShowsNoKeyboard)
{
    installSkin();
    for (int nth : {2, 3}) {
        emuFailCall("CreateCompatibleDC", nth);
        EXPECT_EQ(E_OUTOFMEMORY, selectOnly());
        ASSERT_NE(nullptr, panel.keyboardWindow);
        EXPECT_FALSE(IsWindowVisible(panel.keyboardWindow)) << "CreateCompatibleDC #" << nth;
        EXPECT_EQ(S_OK, inputMethod->Deselect());
    }
    selected = false;
}

// A selection starts without a callback: a host that does not register its callback again hears
// nothing, and the callback of an earlier selection is not called.
TEST_F(Lifecycle, SelectForgetsTheCallbackOfAnEarlierSelection)
{
    installSkin();
    PanelTest::select();
    tapKey(0, 0);
    EXPECT_EQ(2u, callback.keyCalls().size());
    deselect();
    callback.clearCalls();
    PanelTest::select(false);
    tapKey(0, 0);
    EXPECT_TRUE(callback.keyCalls().empty());
}

// A Deselect while the pen is down lets the capture go before the window does.
TEST_F(Lifecycle, DeselectReleasesTheCaptureItHolds)
{
    installSkin();
    PanelTest::select();
    penDown(keyX(0, 0), keyY(0));
    ASSERT_EQ(panel.keyboardWindow, GetCapture());
    deselect();
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, emuViolationCount()) << (emuViolationCount() ? emuViolation(0) : "");
}

// The device takes no access rights: every key the panel opens is opened with 0.
TEST_F(Lifecycle, TheRegistryIsOpenedWithoutAccessRights)
{
    installSkin();
    emuRegSetDword("ControlPanel\\Keybd", "RepeatRate", 20);
    PanelTest::select();
    penDown(keyX(2, 8), keyY(2)); // backspace, into its repeats
    advance(700);
    penUp(keyX(2, 8), keyY(2));
    tapKey(3, 0); // numeric
    tapKey(0, 0); // the calculator
    EXPECT_EQ(3, emuCallCount("RegOpenKeyExW")) << "the first Select, the repeat and the calculator";
    EXPECT_EQ(1, emuProcessCount());
    EXPECT_EQ(0, emuViolationCount()) << (emuViolationCount() ? emuViolation(0) : "");
}

TEST_F(Lifecycle, TheOtherMethodsDoNothing)
{
    installSkin();
    ASSERT_EQ(S_OK, selectOnly());
    char data[8] = {};
    EXPECT_EQ(E_NOTIMPL, inputMethod->GetImData(sizeof data, data));
    EXPECT_EQ(E_NOTIMPL, inputMethod->SetImData(sizeof data, data));
    EXPECT_EQ(E_NOTIMPL, inputMethod->UserOptionsDlg(hostWindow));
    EXPECT_EQ(S_OK, inputMethod->Showing());
    EXPECT_EQ(S_OK, inputMethod->Hiding());
}

class FirstSelect : public Lifecycle {};

TEST_F(FirstSelect, ThisPanelAsTheDefaultStartsDockedButHiddenOnceALoad)
{
    installSkin();
    emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, "{91C40DFC-6B41-456f-A2E4-4AA7363198B7}");
    ASSERT_EQ(S_OK, selectOnly());
    EXPECT_EQ((DWORD)SIPF_DOCKED, firstFlags());
    EXPECT_EQ(0, panel.firstSelect);
    inputMethod->Deselect();
    int opens = emuCallCount("RegOpenKeyExW");
    ASSERT_EQ(S_OK, selectOnly());
    EXPECT_EQ((DWORD)(SIPF_ON | SIPF_DOCKED), firstFlags()) << "later selections show the panel";
    EXPECT_EQ(opens, emuCallCount("RegOpenKeyExW")) << "and read nothing";
}

TEST_F(FirstSelect, TheComparisonIgnoresLetterCase)
{
    installSkin();
    emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, "{91c40dfc-6b41-456F-a2e4-4aa7363198b7}");
    ASSERT_EQ(S_OK, selectOnly());
    EXPECT_EQ((DWORD)SIPF_DOCKED, firstFlags());
}

TEST_F(FirstSelect, AnotherPanelAMissingValueOrALongerTextShowThePanel)
{
    const char *values[] = {"{5956CDC6-4A6D-4d26-BC6E-6CBF5C8043F0}", nullptr,
                            "{91C40DFC-6B41-456f-A2E4-4AA7363198B7}x", "{91C40DFC-6B41-456f-A2E4-4AA7363198B"};
    for (const char *value : values) {
        SCOPED_TRACE(value ? value : "(missing)");
        emuReset();
        panel = panelStateAtLoad;
        installSkin();
        makeHost();
        if (value)
            emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, value);
        ASSERT_EQ(S_OK, selectOnly());
        EXPECT_EQ((DWORD)(SIPF_ON | SIPF_DOCKED), firstFlags());
        inputMethod->Deselect();
        selected = false;
    }
}

TEST_F(FirstSelect, AValueFillingTheWholeBufferIsReadWithinBounds)
{
    installSkin();
    // 260 units with no terminator: the comparison must stop at the buffer's end.
    std::vector<uint16_t> text(260, 'A');
    emuRegSetRaw("ControlPanel\\Sip", "DefaultIm", REG_SZ, text.data(), (DWORD)(text.size() * 2));
    ASSERT_EQ(S_OK, selectOnly());
    EXPECT_EQ((DWORD)(SIPF_ON | SIPF_DOCKED), firstFlags());
}

} // namespace
