// The thread's message queue: send, post, get, peek, dispatch, quit, emuPump.
#include "window/window.h"

#include <deque>

namespace emu {
namespace {

// A pump that dispatches more than this in one go is stuck in a loop of messages making messages.
const int pumpLimit = 100000;

// A window filter of -1 asks for the messages posted without a window only.
const HWND threadMessagesOnly = reinterpret_cast<HWND>(-1);

std::deque<MSG> posted;
bool quitPosted = false;
int quitCode = 0;

bool inRange(UINT msg, UINT first, UINT last)
{
    return (first == 0 && last == 0) || (msg >= first && msg <= last);
}

bool windowMatches(HWND hwnd, HWND filter)
{
    return filter == threadMessagesOnly ? !hwnd : !filter || hwnd == filter;
}

MSG makeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG m = {};
    m.hwnd = hwnd;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = tickCount();
    m.pt = cursorPosition();
    return m;
}

// Retrieval in the platform's order: posted messages first, then the quit notice, then WM_PAINT
// for windows with an update region, then WM_TIMER for timers that fell due.
bool retrieve(MSG *out, HWND filter, UINT first, UINT last, bool remove, bool quitToo)
{
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (windowMatches(it->hwnd, filter) && inRange(it->message, first, last)) {
            *out = *it;
            if (remove)
                posted.erase(it);
            return true;
        }
    }
    if (quitToo && quitPosted && inRange(WM_QUIT, first, last)) {
        *out = makeMessage(nullptr, WM_QUIT, (WPARAM)quitCode, 0);
        if (remove)
            quitPosted = false;
        return true;
    }
    if (filter != threadMessagesOnly && inRange(WM_PAINT, first, last)) {
        // WM_PAINT stays until the window's update region is validated, whether removed or not.
        if (HWND hwnd = windowNeedingPaint(filter)) {
            *out = makeMessage(hwnd, WM_PAINT, 0, 0);
            return true;
        }
    }
    if (inRange(WM_TIMER, first, last) &&
        takeDueTimer(filter == threadMessagesOnly ? nullptr : filter, filter == threadMessagesOnly, remove, out)) {
        out->time = tickCount();
        out->pt = cursorPosition();
        return true;
    }
    return false;
}

// What GetMessageW and PeekMessageW check first: the fault injection, the MSG, the window filter.
bool mayRetrieve(const MSG *msg, HWND filter, const char *api)
{
    if (failNow(api))
        return false;
    if (!msg)
        return misuse(api, "null MSG", false);
    return !filter || filter == threadMessagesOnly || windowOf(filter, api);
}

} // namespace

void postMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    posted.push_back(makeMessage(hwnd, msg, wParam, lParam));
}

void removeMessagesFor(HWND hwnd)
{
    for (auto it = posted.begin(); it != posted.end();)
        it = it->hwnd == hwnd ? posted.erase(it) : it + 1;
}

// Dispatches without counting a DispatchMessageW call.
static LRESULT dispatchMessage(const MSG &msg, const char *api)
{
    if (msg.message == WM_TIMER && msg.lParam) {
        // Only a callback that a live timer registered is called, never an arbitrary address.
        if (!isTimerCallback(msg.hwnd, msg.wParam, msg.lParam))
            return misuse(api, "WM_TIMER names a callback of no live timer", 0);
        reinterpret_cast<TIMERPROC>(msg.lParam)(msg.hwnd, WM_TIMER, msg.wParam, tickCount());
        return 0;
    }
    // A message posted without a window has no procedure to go to.
    if (!msg.hwnd)
        return 0;
    if (!windowOf(msg.hwnd, api))
        return 0;
    if (msg.message == WM_PAINT)
        return dispatchPaint(msg.hwnd, api);
    return callWindowProc(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

static void resetMessages()
{
    posted.clear();
    quitPosted = false;
    quitCode = 0;
}
const RoomReset messagesReset(resetMessages);

} // namespace emu

using namespace emu;

extern "C" {

LRESULT WINAPI SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    failNow(__func__); // a message to a window of this thread cannot fail: only counted
    if (!windowOf(hWnd, __func__))
        return 0;
    // Sent messages bypass the queue: WM_PAINT sent this way is still checked for validation.
    if (Msg == WM_PAINT)
        return dispatchPaint(hWnd, __func__);
    return callWindowProc(hWnd, Msg, wParam, lParam);
}

BOOL WINAPI PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (failNow(__func__))
        return failed(ERROR_NOT_ENOUGH_MEMORY, FALSE);
    // Without a window the message is the thread's own, as PostThreadMessage would post it.
    if (hWnd && !windowOf(hWnd, __func__))
        return FALSE;
    postMessage(hWnd, Msg, wParam, lParam);
    return TRUE;
}

BOOL WINAPI GetMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (!mayRetrieve(lpMsg, hWnd, __func__))
        return -1;
    if (!retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, true)) {
        // The thread would wait for ever: time moves only when the host advances it.
        violation(__func__, "nothing to retrieve; the call would wait for ever");
        *lpMsg = makeMessage(nullptr, WM_QUIT, 0, 0);
        return FALSE;
    }
    return lpMsg->message != WM_QUIT;
}

BOOL WINAPI PeekMessageW(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    if (!mayRetrieve(lpMsg, hWnd, __func__))
        return FALSE;
    return retrieve(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0, true);
}

LRESULT WINAPI DispatchMessageW(const MSG *lpMsg)
{
    failNow(__func__); // only counted
    if (!lpMsg)
        return misuse(__func__, "null MSG", 0);
    return dispatchMessage(*lpMsg, __func__);
}

void WINAPI PostQuitMessage(int nExitCode)
{
    failNow(__func__); // only counted
    quitPosted = true;
    quitCode = nExitCode;
}

int emuPump(void)
{
    int dispatched = 0;
    MSG m;
    // The quit notice is left for the host's own loop.
    while (retrieve(&m, nullptr, 0, 0, true, false)) {
        dispatchMessage(m, __func__);
        if (++dispatched >= pumpLimit) {
            violation(__func__, "messages keep coming; stopped after " + std::to_string(pumpLimit));
            break;
        }
    }
    return dispatched;
}

} // extern "C"
