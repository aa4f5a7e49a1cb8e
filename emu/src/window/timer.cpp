// The virtual clock and window timers: GetTickCount, SetTimer, KillTimer, emuAdvance.
#include "window/window.h"

#include <algorithm>

namespace emu {
namespace {

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    unsigned long long due;      // on the internal clock
    unsigned long long sequence; // when it was set: ties of equal due time go in this order
    bool fired;                  // fell due and its WM_TIMER was not yet retrieved
    unsigned long long firedOrder;
};

// Ids the platform hands out for timers without a window start here.
const UINT_PTR firstThreadTimerId = 0x100;

// Milliseconds since the reset; GetTickCount adds an offset that emuSetTickCount moves, so timers
// never notice the tick count being set or wrapping.
unsigned long long now = 0;
DWORD tickOffset = 0;
std::vector<Timer> timers;
unsigned long long nextSequence = 1;
unsigned long long nextFiredOrder = 1;
UINT_PTR nextThreadTimerId = firstThreadTimerId;

std::vector<Timer>::iterator findTimer(HWND hwnd, UINT_PTR id)
{
    return std::find_if(timers.begin(), timers.end(), [&](const Timer &t) { return t.hwnd == hwnd && t.id == id; });
}

// The timer that falls due next, not later than `limit`; ties in the order they were set.
Timer *nextDue(unsigned long long limit)
{
    Timer *best = nullptr;
    for (Timer &t : timers)
        if (t.due <= limit && (!best || t.due < best->due || (t.due == best->due && t.sequence < best->sequence)))
            best = &t;
    return best;
}

} // namespace

DWORD tickCount()
{
    return (DWORD)(now + tickOffset);
}

void killTimersOf(HWND hwnd)
{
    timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer &t) { return t.hwnd == hwnd; }),
                 timers.end());
}

bool takeDueTimer(HWND filter, bool threadOnly, bool remove, MSG *out)
{
    Timer *first = nullptr;
    for (Timer &t : timers) {
        bool matches = threadOnly ? !t.hwnd : !filter || t.hwnd == filter;
        if (t.fired && matches && (!first || t.firedOrder < first->firedOrder))
            first = &t;
    }
    if (!first)
        return false;
    *out = MSG{};
    out->hwnd = first->hwnd;
    out->message = WM_TIMER;
    out->wParam = first->id;
    out->lParam = reinterpret_cast<LPARAM>(first->proc);
    if (remove)
        first->fired = false;
    return true;
}

bool isTimerCallback(HWND hwnd, UINT_PTR id, LPARAM proc)
{
    auto it = findTimer(hwnd, id);
    return it != timers.end() && reinterpret_cast<LPARAM>(it->proc) == proc;
}

static void resetTimers()
{
    now = 0;
    tickOffset = 0;
    timers.clear();
    nextSequence = 1;
    nextFiredOrder = 1;
    nextThreadTimerId = firstThreadTimerId;
}
const RoomReset timersReset(resetTimers);

} // namespace emu

using namespace emu;

extern "C" {

DWORD WINAPI GetTickCount(void)
{
    failNow(__func__); // cannot fail: only counted
    return tickCount();
}

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    if (failNow(__func__) || (hWnd && !windowOf(hWnd, __func__)))
        return 0;
    if (hWnd && nIDEvent == 0)
        return misuse(__func__, "a window timer needs a non-zero id on the device", ERROR_INVALID_PARAMETER, 0);
    // As the platform does: shorter periods run at the minimum, longer ones at the maximum.
    UINT elapse = std::min<UINT>(std::max<UINT>(uElapse, USER_TIMER_MINIMUM), USER_TIMER_MAXIMUM);
    UINT_PTR id = nIDEvent;
    // A timer without a window gets an id of the platform's choosing, unless it names one of its
    // own timers to replace.
    if (!hWnd && (nIDEvent == 0 || findTimer(nullptr, nIDEvent) == timers.end()))
        id = nextThreadTimerId++;
    auto it = findTimer(hWnd, id);
    if (it == timers.end()) {
        timers.push_back(Timer{});
        it = timers.end() - 1;
    }
    // Setting an existing timer again starts it afresh, dropping a tick not yet retrieved.
    *it = Timer{hWnd, id, elapse, lpTimerFunc, now + elapse, nextSequence++, false, 0};
    // The result must be non-zero on success: a window timer with id 0 answers 1.
    return id ? id : 1;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    if (failNow(__func__) || (hWnd && !windowOf(hWnd, __func__)))
        return FALSE;
    auto it = findTimer(hWnd, uIDEvent);
    // An unknown timer is an ordinary failure; a tick not yet retrieved goes with the timer.
    if (it == timers.end())
        return failed(ERROR_INVALID_PARAMETER, FALSE);
    timers.erase(it);
    return TRUE;
}

void emuSetTickCount(DWORD tick)
{
    tickOffset = tick - (DWORD)now;
}

void emuAdvance(DWORD ms)
{
    unsigned long long target = now + ms;
    while (Timer *t = nextDue(target)) {
        now = t->due;
        t->fired = true;
        t->firedOrder = nextFiredOrder++;
        t->due += t->elapse;
        emuPump();
    }
    now = target;
}

} // extern "C"
