// The message queue: sent and posted messages, retrieval order, filters, quit, dispatch, the pump.
#include "wmtest.h"

namespace {

using MessageTest = WindowManagerTest;

TEST_F(MessageTest, SentMessagesArriveAtOncePostedOnesInOrderWhenPumped)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuPump();
    seen.clear();
    EXPECT_TRUE(PostMessageW(w, WM_USER + 1, 1, 0));
    EXPECT_TRUE(PostMessageW(w, WM_USER + 2, 2, 0));
    EXPECT_EQ(0, SendMessageW(w, WM_USER + 3, 3, 0));
    const Messages sentAtOnce = {to(w, WM_USER + 3).wparam(3)};
    expectMessages(sentAtOnce);
    EXPECT_EQ(2, emuPump());
    const Messages postedInOrder = {to(w, WM_USER + 1).wparam(1), to(w, WM_USER + 2).wparam(2)};
    expectMessages(postedInOrder);
}

TEST_F(MessageTest, PaintComesOnlyWhenNoPostedMessageIsLeft)
{
    HWND a = topLevel(0, 0, 10, 10);
    HWND b = topLevel(20, 0, 10, 10);
    emuPump();
    seen.clear();
    InvalidateRect(a, nullptr, FALSE);
    PostMessageW(b, WM_USER, 0, 0);
    InvalidateRect(b, nullptr, FALSE);
    PostMessageW(a, WM_USER + 1, 0, 0);
    EXPECT_EQ(4, emuPump());
    // Posted messages first, then paints from the upper window down.
    const Messages postedThenPainted = {
        to(b, WM_USER),
        to(a, WM_USER + 1),
        to(b, WM_PAINT).paints({0, 0, 10, 10}, false),
        to(a, WM_PAINT).paints({0, 0, 10, 10}, false),
    };
    expectMessages(postedThenPainted);
    EXPECT_EQ(0, emuPump()) << "painting validated both";
}

TEST_F(MessageTest, PeekFiltersByWindowAndRangeAndCanLeaveTheMessage)
{
    HWND a = topLevel(0, 0, 10, 10);
    HWND b = topLevel(20, 0, 10, 10);
    emuPump();
    PostMessageW(a, WM_USER + 5, 0, 0);
    PostMessageW(b, WM_USER + 6, 0, 0);
    PostMessageW(nullptr, WM_USER + 7, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_NOREMOVE));
    EXPECT_EQ((UINT)(WM_USER + 6), m.message);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 6, WM_USER + 7, PM_REMOVE));
    EXPECT_EQ((UINT)(WM_USER + 6), m.message) << "PM_NOREMOVE left it";
    ASSERT_TRUE(PeekMessageW(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)(WM_USER + 7), m.message) << "-1 asks for messages without a window";
    EXPECT_EQ(nullptr, m.hwnd);
    EXPECT_FALSE(PeekMessageW(&m, b, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(a, m.hwnd);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, PaintStaysUntilValidated)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuPump();
    InvalidateRect(w, nullptr, FALSE);
    MSG m;
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_PAINT, m.message);
    ASSERT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) << "removing does not validate";
    EXPECT_EQ((UINT)WM_PAINT, m.message);
    ValidateRect(w, nullptr);
    EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageTest, GetMessageReturnsFalseForQuitAfterPostedMessages)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuPump();
    PostQuitMessage(3);
    PostMessageW(w, WM_USER, 0, 0);
    MSG m;
    EXPECT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ((UINT)WM_USER, m.message);
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ((UINT)WM_QUIT, m.message);
    EXPECT_EQ(3u, m.wParam);
    EXPECT_TRUE(takeViolations().empty());
}

TEST_F(MessageTest, GetMessageWithNothingToWaitForIsAViolation)
{
    MSG m;
    EXPECT_FALSE(GetMessageW(&m, nullptr, 0, 0)) << "ends a message loop instead of hanging";
    EXPECT_EQ(1u, takeViolations().size());
}

TEST_F(MessageTest, PumpLeavesTheQuitNoticeForTheHost)
{
    PostQuitMessage(0);
    EXPECT_EQ(0, emuPump());
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_QUIT, m.message);
}

TEST_F(MessageTest, DispatchCarriesTimeAndPenPosition)
{
    HWND w = topLevel(0, 0, 100, 100);
    emuPump();
    emuSetTickCount(1234);
    emuPenMove(30, 40);
    PostMessageW(w, WM_USER, 5, 6);
    MSG m;
    ASSERT_TRUE(GetMessageW(&m, nullptr, 0, 0));
    EXPECT_EQ(1234u, m.time);
    EXPECT_EQ(30, m.pt.x);
    EXPECT_EQ(40, m.pt.y);
    seen.clear();
    DispatchMessageW(&m);
    const Messages dispatched = {to(w, WM_USER).wparam(5).lparam(6)};
    expectMessages(dispatched);
}

TEST_F(MessageTest, PaintIgnoredByTheProcedureIsRecordedAndDoesNotSpin)
{
    HWND w = topLevel(0, 0, 10, 10);
    ignorePaint = true;
    EXPECT_EQ(1, emuPump());
    // Without BeginPaint nothing is erased.
    const Messages createdAndPaintIgnored = {to(w, WM_CREATE), to(w, WM_SIZE), to(w, WM_MOVE), to(w, WM_SHOWWINDOW),
                                             to(w, WM_PAINT)};
    expectMessages(createdAndPaintIgnored);
    EXPECT_EQ(1u, takeViolations().size());
    EXPECT_EQ(0, emuPump());
}

TEST_F(MessageTest, DefaultProcedureValidatesPaintAndDestroysOnClose)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuPump();
    InvalidateRect(w, nullptr, TRUE);
    EXPECT_EQ(0, DefWindowProcW(w, WM_PAINT, 0, 0));
    EXPECT_EQ(0, emuPump());
    EXPECT_EQ(0, DefWindowProcW(w, WM_ERASEBKGND, 0, 0)) << "no background brush: nothing erased";
    EXPECT_EQ(0, DefWindowProcW(w, WM_CLOSE, 0, 0));
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(MessageTest, MessagesForADestroyedWindowAreDropped)
{
    HWND w = topLevel(0, 0, 10, 10);
    PostMessageW(w, WM_USER, 0, 0);
    DestroyWindow(w);
    seen.clear();
    EXPECT_EQ(0, emuPump());
    expectMessages({});
}

TEST_F(MessageTest, PostToBadWindowAndFailedPostsPostNothing)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuPump();
    HWND stale = topLevel(0, 0, 1, 1, 0, 0);
    DestroyWindow(stale);
    SetLastError(0);
    EXPECT_FALSE(PostMessageW(stale, WM_USER, 0, 0));
    EXPECT_EQ((DWORD)ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    EXPECT_EQ(1u, takeViolations().size());
    emuFailCall("PostMessageW", 1);
    EXPECT_FALSE(PostMessageW(w, WM_USER, 0, 0));
    EXPECT_EQ(0, emuPump());
}

TEST_F(MessageTest, PumpStopsAMessageLoopThatNeverEnds)
{
    static HWND self;
    struct Repost {
        static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
        {
            if (msg == WM_USER)
                PostMessageW(hwnd, WM_USER, 0, 0);
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
    };
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Repost::proc;
    wc.lpszClassName = L"Repost";
    RegisterClassW(&wc);
    self = CreateWindowExW(0, L"Repost", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    PostMessageW(self, WM_USER, 0, 0);
    EXPECT_EQ(100000, emuPump());
    EXPECT_EQ(1u, takeViolations().size());
    DestroyWindow(self);
}

TEST_F(MessageTest, LastErrorIsKeptUntilSetAgain)
{
    SetLastError(77);
    EXPECT_EQ(77u, GetLastError());
    EXPECT_EQ(77u, GetLastError());
    emuReset();
    EXPECT_EQ(0u, GetLastError());
}

} // namespace
