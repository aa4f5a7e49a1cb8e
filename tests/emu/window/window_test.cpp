// Window classes and windows: registration rules, creation, destruction, rectangles, styles, bad handles.
#include <functional>

#include "wmtest.h"

namespace {

using WindowTest = WindowManagerTest;

LRESULT CALLBACK otherProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

WNDCLASSW classNamed(const WCHAR *name, HINSTANCE instance)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = otherProc;
    wc.lpszClassName = name;
    wc.hInstance = instance;
    return wc;
}

// Classes belong to the process: the device finds them by name alone (UnregisterClassW ignores the
// instance), so a name is taken whichever module registered it.
TEST_F(WindowTest, ClassNamesCompareCaseInsensitivelyAcrossInstances)
{
    HINSTANCE a = reinterpret_cast<HINSTANCE>(0x1000);
    HINSTANCE b = reinterpret_cast<HINSTANCE>(0x2000);
    WNDCLASSW first = classNamed(L"Keyboard Class", a);
    ATOM atom = RegisterClassW(&first);
    EXPECT_NE(0, atom);
    EXPECT_EQ(2, emuLiveCount(EMU_CLASS)) << "the fixture's class and this one";

    SetLastError(0xdeadbeef);
    WNDCLASSW again = classNamed(L"KEYBOARD class", a);
    EXPECT_EQ(0, RegisterClassW(&again)) << "same name in another case, same instance";
    EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());

    WNDCLASSW elsewhere = classNamed(L"Keyboard Class", b);
    EXPECT_EQ(0, RegisterClassW(&elsewhere)) << "another module finds the name taken";
    EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());
    EXPECT_EQ(2, emuLiveCount(EMU_CLASS));

    EXPECT_TRUE(UnregisterClassW(L"keyboard CLASS", b)) << "whatever instance is named";
    EXPECT_EQ(1, emuLiveCount(EMU_CLASS));
    EXPECT_TRUE(RegisterClassW(&elsewhere)) << "registered again once unregistered";
}

TEST_F(WindowTest, UnregisteringAnUnknownClassFailsQuietly)
{
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(UnregisterClassW(L"Nobody", nullptr));
    EXPECT_EQ((DWORD)ERROR_CLASS_DOES_NOT_EXIST, GetLastError());
    EXPECT_TRUE(takeViolations().empty()) << "tearing down twice is allowed";
    // The device finds the class by its name alone; the instance handle is ignored.
    EXPECT_TRUE(UnregisterClassW(testClass, reinterpret_cast<HINSTANCE>(0x1000)));
}

TEST_F(WindowTest, ClassWithLiveWindowsCannotBeUnregistered)
{
    HWND w = topLevel(0, 0, 10, 10);
    EXPECT_FALSE(UnregisterClassW(testClass, nullptr));
    EXPECT_EQ(1u, takeViolations().size());
    EXPECT_EQ(2, emuLiveCount(EMU_CLASS) + emuLiveCount(EMU_WINDOW)) << "class and window both still there";
    DestroyWindow(w);
    EXPECT_TRUE(UnregisterClassW(testClass, nullptr));
    EXPECT_EQ(0, emuLiveCount(EMU_CLASS));
}

TEST_F(WindowTest, CreateSendsCreateStructAndSizeAndMove)
{
    int param = 42;
    HWND w = CreateWindowExW(WS_EX_NOACTIVATE, testClass, L"title", WS_POPUP, 5, 6, 70, 80, nullptr, nullptr, nullptr,
                             &param);
    ASSERT_NE(nullptr, w);
    const Messages createdHidden = {
        to(w, WM_CREATE),
        to(w, WM_SIZE).wparam(0).lparam(MAKELPARAM(70, 80)),
        to(w, WM_MOVE).wparam(0).lparam(MAKELPARAM(5, 6)),
    };
    expectMessages(createdHidden);
    EXPECT_EQ(&param, lastCreate.lpCreateParams);
    EXPECT_EQ(5, lastCreate.x);
    EXPECT_EQ(6, lastCreate.y);
    EXPECT_EQ(70, lastCreate.cx);
    EXPECT_EQ(80, lastCreate.cy);
    EXPECT_EQ((LONG)WS_POPUP, lastCreate.style);
    EXPECT_EQ((DWORD)WS_EX_NOACTIVATE, lastCreate.dwExStyle);
    EXPECT_FALSE(IsWindowVisible(w)) << "created hidden without WS_VISIBLE";
    EXPECT_EQ((LONG)WS_EX_NOACTIVATE, GetWindowLongW(w, GWL_EXSTYLE));
}

TEST_F(WindowTest, CreateFailingInWmCreateLeavesNothing)
{
    createResult = -1;
    EXPECT_EQ(nullptr, topLevel(0, 0, 10, 10));
    EXPECT_EQ(0, emuLiveCount(EMU_WINDOW));
    // Destroyed before it is sized, moved or shown; the handle is the one WM_CREATE saw.
    HWND gone = seen.empty() ? nullptr : seen[0].hwnd;
    const Messages createRefused = {to(gone, WM_CREATE), to(gone, WM_DESTROY)};
    expectMessages(createRefused);
    EXPECT_TRUE(UnregisterClassW(testClass, nullptr)) << "no window of the class is left";
}

TEST_F(WindowTest, VisibleWindowIsShownOnlyAfterWmCreate)
{
    HWND w = topLevel(0, 0, 10, 10);
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ((LONG)WS_VISIBLE, GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);
    const Messages createdVisible = {
        to(w, WM_CREATE),
        to(w, WM_SIZE),
        to(w, WM_MOVE),
        to(w, WM_SHOWWINDOW).wparam(TRUE).lparam(0),
    };
    expectMessages(createdVisible);
}

TEST_F(WindowTest, ChildIsPlacedInItsParentsClientArea)
{
    HWND parent = topLevel(100, 200, 300, 100);
    HWND kid = child(parent, 10, -5, 50, 20);
    RECT r;
    EXPECT_TRUE(GetWindowRect(kid, &r));
    EXPECT_RECT((RECT{110, 195, 160, 215}), r);
    EXPECT_TRUE(GetClientRect(kid, &r));
    EXPECT_RECT((RECT{0, 0, 50, 20}), r);
    EXPECT_EQ(parent, GetParent(kid));
    EXPECT_EQ(nullptr, GetParent(parent));

    EXPECT_TRUE(MoveWindow(parent, 0, 0, 300, 100, FALSE));
    EXPECT_TRUE(GetWindowRect(kid, &r));
    EXPECT_RECT((RECT{10, -5, 60, 15}), r) << "the child moves with its parent";
}

// A top-level window answers GetParent with its owner whatever its style; a window given a parent
// without WS_POPUP is made a child of it.
TEST_F(WindowTest, AParentMakesAChildUnlessThePopupIsOwned)
{
    HWND owner = topLevel(0, 0, 10, 10);
    HWND popup = topLevel(0, 0, 10, 10, 0, WS_POPUP);
    EXPECT_EQ(nullptr, GetParent(popup));
    HWND owned = CreateWindowExW(0, testClass, L"", WS_POPUP, 0, 0, 5, 5, owner, nullptr, nullptr, nullptr);
    HWND made = CreateWindowExW(0, testClass, L"", 0, 0, 0, 5, 5, owner, nullptr, nullptr, nullptr);
    EXPECT_EQ(owner, GetParent(owned));
    EXPECT_EQ(owner, GetParent(made));
    EXPECT_EQ((LONG)WS_CHILD, GetWindowLongW(made, GWL_STYLE)) << "neither child nor pop-up: a child";
    EXPECT_EQ(owner, GetWindow(owned, GW_OWNER));
    EXPECT_EQ(made, GetWindow(owner, GW_CHILD));
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned)) << "owned windows go with their owner";
    EXPECT_FALSE(IsWindow(made));
    EXPECT_TRUE(IsWindow(popup));
    EXPECT_TRUE(takeViolations().empty());
}

// Windows have no menus on the device, and classes none either, nor other styles than CE's five.
TEST_F(WindowTest, MenusAndUnsupportedClassStylesAreRefused)
{
    SetLastError(0);
    EXPECT_EQ(nullptr, CreateWindowExW(0, testClass, L"", WS_POPUP, 0, 0, 5, 5, nullptr, (HMENU)1, nullptr, nullptr));
    EXPECT_EQ(1401u, GetLastError()) << "ERROR_INVALID_MENU_HANDLE";
    HWND parent = topLevel(0, 0, 10, 10);
    EXPECT_NE(nullptr, CreateWindowExW(0, testClass, L"", WS_CHILD, 0, 0, 5, 5, parent, (HMENU)7, nullptr, nullptr))
        << "a child's id is no menu";
    WNDCLASSW menu = classNamed(L"WithMenu", nullptr);
    menu.lpszMenuName = L"Menu";
    EXPECT_EQ(0, RegisterClassW(&menu));
    WNDCLASSW styled = classNamed(L"Styled", nullptr);
    styled.style = 0x4000; // CS_GLOBALCLASS
    EXPECT_EQ(0, RegisterClassW(&styled));
    styled.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_PARENTDC | CS_NOCLOSE;
    EXPECT_NE(0, RegisterClassW(&styled));
    EXPECT_EQ(3u, takeViolations().size());
}

TEST_F(WindowTest, NegativeSizesBecomeZero)
{
    HWND w = topLevel(10, 10, -5, 20);
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_RECT((RECT{10, 10, 10, 30}), r);
    MoveWindow(w, 1, 2, 30, -1, TRUE);
    GetClientRect(w, &r);
    EXPECT_RECT((RECT{0, 0, 30, 0}), r);
}

TEST_F(WindowTest, CreateRefusesChildWithoutParentAndUnknownClass)
{
    SetLastError(0);
    EXPECT_EQ(nullptr, CreateWindowExW(0, testClass, L"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1406u, GetLastError()) << "ERROR_TLW_WITH_WSCHILD";
    EXPECT_EQ(nullptr, CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1407u, GetLastError()) << "ERROR_CANNOT_FIND_WND_CLASS";
    EXPECT_EQ(2u, takeViolations().size());
    expectMessages({}); // no message for a window never made
}

TEST_F(WindowTest, DestroySendsWmDestroyParentFirstAndFreesEverything)
{
    HWND parent = topLevel(0, 0, 100, 100);
    HWND a = child(parent, 0, 0, 10, 10);
    HWND grandchild = child(a, 0, 0, 5, 5);
    HWND b = child(parent, 20, 0, 10, 10);
    SetTimer(a, 1, 100, nullptr);
    SetCapture(grandchild);
    seen.clear();

    EXPECT_TRUE(DestroyWindow(parent));
    // The capture goes with the window, but a program that took it should have let it go.
    std::vector<std::string> violations = takeViolations();
    ASSERT_EQ(1u, violations.size());
    EXPECT_EQ(0u, violations[0].find("DestroyWindow: the window (or a child of it) still held the pen capture"));
    // Hidden without WM_SHOWWINDOW, the capture released, then the parent hears WM_DESTROY first.
    const Messages destroyParent = {
        to(grandchild, WM_CAPTURECHANGED).lparam(0),
        to(parent, WM_DESTROY),
        to(a, WM_DESTROY),
        to(grandchild, WM_DESTROY),
        to(b, WM_DESTROY),
    };
    expectMessages(destroyParent);
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(0, emuLiveCount(EMU_WINDOW));
    for (HWND h : {parent, a, grandchild, b})
        EXPECT_FALSE(IsWindow(h));
    emuAdvance(1000);
    expectMessages({}); // the child's timer died with it
}

TEST_F(WindowTest, DestroyWithUnreleasedWindowDcIsAViolation)
{
    HWND w = topLevel(0, 0, 10, 10);
    ASSERT_NE(nullptr, GetDC(w));
    EXPECT_EQ(1, emuLiveCount(EMU_DC));
    DestroyWindow(w);
    EXPECT_EQ(1u, takeViolations().size());
    EXPECT_EQ(0, emuLiveCount(EMU_DC));
}

TEST_F(WindowTest, WindowLongsReturnThePreviousValue)
{
    HWND w = topLevel(0, 0, 10, 10, 0, WS_POPUP);
    EXPECT_EQ((LONG)WS_POPUP, SetWindowLongW(w, GWL_STYLE, WS_POPUP | WS_BORDER));
    EXPECT_EQ((LONG)(WS_POPUP | WS_BORDER), GetWindowLongW(w, GWL_STYLE));
    // A pop-up stays a pop-up: the device does not take WS_CHILD or WS_POPUP after creation.
    EXPECT_EQ((LONG)(WS_POPUP | WS_BORDER), SetWindowLongW(w, GWL_STYLE, 0));
    EXPECT_EQ((LONG)WS_POPUP, GetWindowLongW(w, GWL_STYLE));
    EXPECT_EQ(1u, takeViolations().size());
    EXPECT_EQ(0, SetWindowLongW(w, GWL_EXSTYLE, WS_EX_NOACTIVATE));
    EXPECT_EQ((LONG)WS_EX_NOACTIVATE, SetWindowLongW(w, GWL_EXSTYLE, 0));
    EXPECT_EQ(0, SetWindowLongW(w, GWL_USERDATA, 7));
    EXPECT_EQ(7, GetWindowLongW(w, GWL_USERDATA));

    SetLastError(0);
    EXPECT_EQ(0, GetWindowLongW(w, 0)) << "the class has no window extra bytes";
    EXPECT_EQ(1413u, GetLastError()) << "ERROR_INVALID_INDEX";
    EXPECT_EQ(1u, takeViolations().size());
}

TEST_F(WindowTest, WindowExtraBytesAreSlots)
{
    WNDCLASSW wc = classNamed(L"WithExtra", nullptr);
    wc.cbWndExtra = 8;
    ASSERT_TRUE(RegisterClassW(&wc));
    HWND w = CreateWindowExW(0, L"WithExtra", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(0, SetWindowLongW(w, 4, 99));
    EXPECT_EQ(99, GetWindowLongW(w, 4));
    EXPECT_EQ(0, GetWindowLongW(w, 5)) << "a slot must fit inside the extra bytes";
    EXPECT_EQ(0, SetWindowLongW(w, 2, 1)) << "the device takes offsets in multiples of 4";
    EXPECT_EQ(0, GetWindowLongW(w, 0));
    EXPECT_EQ(2u, takeViolations().size());
}

TEST_F(WindowTest, ShowWindowReturnsThePreviousVisibility)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    EXPECT_FALSE(ShowWindow(w, SW_SHOWNOACTIVATE));
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_TRUE(ShowWindow(w, SW_SHOWNA));
    EXPECT_TRUE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_FALSE(ShowWindow(w, 3)) << "SW_MAXIMIZE is not offered";
    EXPECT_EQ(1u, takeViolations().size());
}

TEST_F(WindowTest, ChildOfHiddenParentIsNotVisible)
{
    HWND parent = topLevel(0, 0, 10, 10, 0, 0);
    HWND kid = child(parent, 0, 0, 5, 5);
    EXPECT_FALSE(IsWindowVisible(kid));
    EXPECT_TRUE(GetWindowLongW(kid, GWL_STYLE) & WS_VISIBLE) << "its own flag is set";
    ShowWindow(parent, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(kid));
}

TEST_F(WindowTest, FailuresInjectedIntoWindowCallsChangeNothing)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuFailCall("MoveWindow", 1);
    EXPECT_FALSE(MoveWindow(w, 5, 5, 20, 20, TRUE));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_RECT((RECT{0, 0, 10, 10}), r);
    emuFailCall("CreateWindowExW", 2);
    EXPECT_NE(nullptr, topLevel(0, 0, 1, 1));
    EXPECT_EQ(nullptr, topLevel(0, 0, 1, 1)) << "the second call fails";
    emuFailCall("RegisterClassW", 1);
    WNDCLASSW wc = classNamed(L"Fresh", nullptr);
    EXPECT_EQ(0, RegisterClassW(&wc));
    EXPECT_NE(0, RegisterClassW(&wc));
    EXPECT_EQ(2, emuCallCount("RegisterClassW") - 1) << "the fixture's registration counts too";
}

// Every window function, handed a null, stale or foreign handle, fails as the platform fails it,
// records the misuse under its own name and writes nothing.
TEST_F(WindowTest, BadWindowHandlesFailAndAreRecorded)
{
    struct Call {
        const char *name;
        std::function<bool(HWND)> failed;
        bool nullMeansSomething; // null is a valid argument with a meaning of its own
    };
    RECT r = {1, 2, 3, 4};
    PAINTSTRUCT ps = {};
    const Call calls[] = {
        {"DestroyWindow", [](HWND h) { return !DestroyWindow(h); }, false},
        {"ShowWindow", [](HWND h) { return !ShowWindow(h, SW_SHOW); }, false},
        {"MoveWindow", [](HWND h) { return !MoveWindow(h, 0, 0, 1, 1, TRUE); }, false},
        {"GetParent", [](HWND h) { return !GetParent(h); }, false},
        {"GetWindowRect", [&](HWND h) { return !GetWindowRect(h, &r); }, false},
        {"GetClientRect", [&](HWND h) { return !GetClientRect(h, &r); }, false},
        {"SetWindowLongW", [](HWND h) { return SetWindowLongW(h, GWL_STYLE, 1) == 0; }, false},
        {"GetWindowLongW", [](HWND h) { return GetWindowLongW(h, GWL_STYLE) == 0; }, false},
        {"IsWindowVisible", [](HWND h) { return !IsWindowVisible(h); }, false},
        {"UpdateWindow", [](HWND h) { return !UpdateWindow(h); }, false},
        {"BeginPaint", [&](HWND h) { return !BeginPaint(h, &ps); }, false},
        // EndPaint always succeeds on the device; the bad handle is only recorded.
        {"EndPaint", [&](HWND h) { return EndPaint(h, &ps) == TRUE; }, false},
        {"DefWindowProcW", [](HWND h) { return DefWindowProcW(h, WM_PAINT, 0, 0) == 0; }, false},
        {"SendMessageW", [](HWND h) { return SendMessageW(h, WM_USER, 0, 0) == 0; }, false},
        {"SetCapture", [](HWND h) { return !SetCapture(h) && !GetCapture(); }, true},
        {"SetTimer", [](HWND h) { return SetTimer(h, 1, 10, nullptr) == 0; }, true},
        {"KillTimer", [](HWND h) { return !KillTimer(h, 1); }, true},
        {"InvalidateRect", [](HWND h) { return !InvalidateRect(h, nullptr, TRUE); }, true}, // null: no action
        {"ValidateRect", [](HWND h) { return !ValidateRect(h, nullptr); }, false},
        {"PostMessageW", [](HWND h) { return !PostMessageW(h, WM_USER, 0, 0); }, true},
    };
    HWND stale = topLevel(0, 0, 10, 10);
    DestroyWindow(stale);
    HDC memory = CreateCompatibleDC(nullptr);
    HWND foreign = reinterpret_cast<HWND>(memory);
    for (HWND bad : {(HWND) nullptr, stale, foreign}) {
        for (const Call &c : calls) {
            if (!bad && c.nullMeansSomething)
                continue;
            emuClearViolations();
            EXPECT_TRUE(c.failed(bad)) << c.name << " with " << bad;
            ASSERT_EQ(1, emuViolationCount()) << c.name << " with " << bad;
            EXPECT_EQ(0u, std::string(emuViolation(0)).rfind(c.name, 0)) << emuViolation(0);
        }
    }
    emuClearViolations();
    EXPECT_RECT((RECT{1, 2, 3, 4}), r) << "a failed call writes nothing";
    EXPECT_EQ(nullptr, ps.hdc);
    EXPECT_EQ(0, emuPump()) << "nothing was posted";
    DeleteDC(memory);
}

TEST_F(WindowTest, IsWindowAsksWithoutRecording)
{
    HWND w = topLevel(0, 0, 1, 1);
    EXPECT_TRUE(IsWindow(w));
    DestroyWindow(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(IsWindow(nullptr));
    EXPECT_TRUE(takeViolations().empty());
}

// IntersectRect takes the rectangles as they stand: an overlap needs the greater left to be less
// than the lesser right, and likewise vertically. On no overlap the result is emptied.
TEST_F(WindowTest, IntersectRectEdgeCases)
{
    struct Case {
        RECT a, b;
        BOOL overlap;
        RECT result;
    };
    static const Case cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, TRUE, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, FALSE, {0, 0, 0, 0}},   // edges touch
        {{0, 0, 10, 10}, {0, 10, 10, 20}, FALSE, {0, 0, 0, 0}},   // edges touch below
        {{0, 0, 10, 10}, {9, 9, 10, 10}, TRUE, {9, 9, 10, 10}},   // one pixel
        {{0, 0, 10, 10}, {3, 3, 3, 8}, FALSE, {0, 0, 0, 0}},      // zero width
        {{10, 0, 0, 10}, {0, 0, 20, 10}, FALSE, {0, 0, 0, 0}},    // inverted
        {{-5, -5, 5, 5}, {-10, 0, 0, 20}, TRUE, {-5, 0, 0, 5}},   // negative coordinates
        {{0, 0, 47, 62}, {0, 0, 480, 252}, TRUE, {0, 0, 47, 62}}, // inside
    };
    for (const Case &c : cases) {
        RECT out = {(LONG)0xdeadbeef, (LONG)0xdeadbeef, (LONG)0xdeadbeef, (LONG)0xdeadbeef};
        EXPECT_EQ(c.overlap, IntersectRect(&out, &c.a, &c.b)) << rectText(c.a) << " and " << rectText(c.b);
        EXPECT_RECT(c.result, out);
        EXPECT_EQ(c.overlap, IntersectRect(&out, &c.b, &c.a)) << "either order";
    }
    RECT out;
    EXPECT_FALSE(IntersectRect(&out, nullptr, &cases[0].a));
    EXPECT_FALSE(SetRect(nullptr, 1, 2, 3, 4));
    EXPECT_EQ(2u, takeViolations().size());
    EXPECT_TRUE(SetRect(&out, 4, 3, 2, 1));
    EXPECT_RECT((RECT{4, 3, 2, 1}), out) << "SetRect stores what it is given";
}

} // namespace
