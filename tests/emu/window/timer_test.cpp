// Window timers on the virtual clock: due order, replacement, kill, minimum period, wrap-around.
#include "wmtest.h"

namespace {

using TimerTest = WindowManagerTest;

// One WM_TIMER as (tick, id).
struct Tick {
    DWORD tick;
    UINT_PTR id;
    bool operator==(const Tick &o) const { return tick == o.tick && id == o.id; }
};

std::ostream &operator<<(std::ostream &out, const Tick &t)
{
    return out << "(" << t.tick << ", " << t.id << ")";
}

// A WM_TIMER row: the timer's id, and the tick it arrived at.
ExpectedMessage tick(HWND hwnd, UINT_PTR id, DWORD at)
{
    return to(hwnd, WM_TIMER).wparam(id).lparam(0).at(at);
}

TEST_F(TimerTest, TwoTimersFireInDueOrderTiesInCreationOrder)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    EXPECT_EQ(7u, SetTimer(w, 7, 30, nullptr)) << "a window timer answers its id";
    EXPECT_EQ(3u, SetTimer(w, 3, 20, nullptr));
    seen.clear();
    emuAdvance(61);
    const Messages twoTimers = {tick(w, 3, 20), tick(w, 7, 30), tick(w, 3, 40), tick(w, 7, 60), tick(w, 3, 60)};
    expectMessages(twoTimers);
    EXPECT_EQ(61u, GetTickCount());
}

TEST_F(TimerTest, AdvancingInStepsFiresAtTheSameTimes)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 1, 25, nullptr);
    seen.clear();
    for (int i = 0; i < 10; ++i)
        emuAdvance(7);
    const Messages inSteps = {tick(w, 1, 25), tick(w, 1, 50)};
    expectMessages(inSteps);
}

TEST_F(TimerTest, SettingAnExistingIdReplacesTheTimer)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 1, 500, nullptr);
    emuAdvance(400);
    EXPECT_EQ(1u, SetTimer(w, 1, 55, nullptr));
    seen.clear();
    emuAdvance(200);
    // Counted afresh from the replacement, with the new period.
    const Messages replaced = {tick(w, 1, 455), tick(w, 1, 510), tick(w, 1, 565)};
    expectMessages(replaced);
}

TEST_F(TimerTest, KilledTimersStopAndUnknownOnesFail)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 1, 10, nullptr);
    SetTimer(w, 2, 10, nullptr);
    emuAdvance(10);
    EXPECT_TRUE(KillTimer(w, 1));
    EXPECT_FALSE(KillTimer(w, 1)) << "already killed";
    EXPECT_FALSE(KillTimer(w, 9));
    seen.clear();
    emuAdvance(20);
    const Messages onlyTheSecond = {tick(w, 2, 20), tick(w, 2, 30)};
    expectMessages(onlyTheSecond);
    EXPECT_TRUE(takeViolations().empty()) << "an unknown id is an ordinary failure";
    EXPECT_EQ(0u, SetTimer(w, 0, 10, nullptr)) << "a window timer needs an id on the device";
    EXPECT_EQ(1u, takeViolations().size());
}

TEST_F(TimerTest, PeriodsBelowTheMinimumRunAtTenMilliseconds)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 1, 0, nullptr);
    SetTimer(w, 2, 9, nullptr);
    seen.clear();
    emuAdvance(9);
    expectMessages({});
    emuAdvance(1);
    const Messages atTheMinimum = {tick(w, 1, 10), tick(w, 2, 10)};
    expectMessages(atTheMinimum);
}

TEST_F(TimerTest, DestroyingTheWindowKillsItsTimers)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    HWND other = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 1, 10, nullptr);
    SetTimer(other, 1, 15, nullptr);
    DestroyWindow(w);
    seen.clear();
    emuAdvance(30);
    const Messages otherOnly = {tick(other, 1, 15), tick(other, 1, 30)};
    expectMessages(otherOnly);
}

TEST_F(TimerTest, TickCountWrapsButTimersDoNot)
{
    emuSetTickCount(0xFFFFFFF0u);
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 1, 10, nullptr);
    seen.clear();
    emuAdvance(25);
    // Ten milliseconds apart across the wrap.
    const Messages acrossTheWrap = {tick(w, 1, 0xFFFFFFFAu), tick(w, 1, 4)};
    expectMessages(acrossTheWrap);
    EXPECT_EQ(9u, GetTickCount());
}

TEST_F(TimerTest, HandlerMayKillAndSetTimersDuringTheAdvance)
{
    struct Chain {
        static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
        {
            if (msg == WM_TIMER) {
                seen.push_back(Seen{hwnd, msg, wParam, lParam, {}, FALSE, GetTickCount(), nullptr});
                // The hold timer hands over to the delay timer, which hands over to the repeat.
                KillTimer(hwnd, wParam);
                if (wParam < 3)
                    SetTimer(hwnd, wParam + 1, wParam == 1 ? 512 : 55, nullptr);
                return 0;
            }
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
    };
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Chain::proc;
    wc.lpszClassName = L"Chain";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, L"Chain", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    SetTimer(w, 1, 500, nullptr);
    emuAdvance(2000);
    const Messages handedOver = {tick(w, 1, 500), tick(w, 2, 1012), tick(w, 3, 1067)};
    expectMessages(handedOver);
}

TEST_F(TimerTest, TimerWithCallbackCallsItInsteadOfTheWindow)
{
    static std::vector<Tick> calls;
    calls.clear();
    struct Callback {
        static void CALLBACK proc(HWND, UINT msg, UINT_PTR id, DWORD time)
        {
            EXPECT_EQ((UINT)WM_TIMER, msg);
            calls.push_back(Tick{time, id});
        }
    };
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    SetTimer(w, 4, 100, Callback::proc);
    UINT_PTR threadTimer = SetTimer(nullptr, 0, 150, Callback::proc);
    EXPECT_NE(0u, threadTimer) << "a timer without a window gets an id of its own";
    seen.clear();
    emuAdvance(200);
    static const Tick expected[] = {{100, 4}, {150, threadTimer}, {200, 4}};
    EXPECT_EQ(std::vector<Tick>(std::begin(expected), std::end(expected)), calls);
    expectMessages({}); // the window procedure hears nothing
    EXPECT_TRUE(KillTimer(nullptr, threadTimer));
}

TEST_F(TimerTest, ForgedTimerCallbackIsNotCalled)
{
    MSG m = {};
    m.message = WM_TIMER;
    m.wParam = 1;
    m.lParam = 0x1234;
    EXPECT_EQ(0, DispatchMessageW(&m));
    EXPECT_EQ(1u, takeViolations().size());
}

TEST_F(TimerTest, FailedSetTimerStartsNothing)
{
    HWND w = topLevel(0, 0, 10, 10, 0, 0);
    emuFailCall("SetTimer", 1);
    EXPECT_EQ(0u, SetTimer(w, 1, 10, nullptr));
    seen.clear();
    emuAdvance(100);
    expectMessages({});
}

TEST_F(TimerTest, TimerTickComesAfterPaintAndPostedMessages)
{
    HWND w = topLevel(0, 0, 10, 10);
    emuPump();
    SetTimer(w, 1, 10, nullptr);
    InvalidateRect(w, nullptr, FALSE);
    PostMessageW(w, WM_USER, 0, 0);
    seen.clear();
    emuAdvance(10);
    const Messages postedPaintedTicked = {to(w, WM_USER), to(w, WM_PAINT), tick(w, 1, 10)};
    expectMessages(postedPaintedTicked);
}

} // namespace
