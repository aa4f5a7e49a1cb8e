// Test windows for the window manager's tests: a class whose procedure records every message.
#ifndef TESTS_EMU_WMTEST_H
#define TESTS_EMU_WMTEST_H

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <emu.h>
#include <windows.h>

#include "../../support/rects.h"

// One message as a test window received it.
struct Seen {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    RECT paint;   // WM_PAINT: the rcPaint that BeginPaint gave
    BOOL erase;   // WM_PAINT: fErase
    DWORD tick;   // GetTickCount when it arrived
    HWND capture; // GetCapture when it arrived
};

inline std::vector<Seen> seen;
// What WM_CREATE answers.
inline LRESULT createResult = 0;
inline CREATESTRUCTW lastCreate;
// While set, WM_PAINT is answered without BeginPaint, as a faulty window would.
inline bool ignorePaint = false;

inline const WCHAR testClass[] = L"EmuTestWindow";

// Fills the paint rectangle with the window's colour (its GWL_USERDATA as 0x00RRGGBB, when
// non-zero), so that the screen shows which window painted where.
inline void paintWithColour(HWND hwnd, HDC dc, const RECT &r)
{
    DWORD colour = (DWORD)GetWindowLongW(hwnd, GWL_USERDATA);
    if (!colour)
        return;
    COLORREF c = RGB(colour >> 16, colour >> 8, colour);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            SetPixel(dc, x, y, c);
}

inline LRESULT CALLBACK recordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Seen s = {hwnd, msg, wParam, lParam, {}, FALSE, GetTickCount(), GetCapture()};
    switch (msg) {
    case WM_CREATE:
        lastCreate = *reinterpret_cast<CREATESTRUCTW *>(lParam);
        seen.push_back(s);
        return createResult;
    case WM_PAINT: {
        // Recorded once painted, with what BeginPaint gave: a WM_ERASEBKGND that BeginPaint sends
        // comes before it in the record.
        if (ignorePaint) {
            seen.push_back(s);
            return 0;
        }
        PAINTSTRUCT ps = {};
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) {
            s.paint = ps.rcPaint;
            s.erase = ps.fErase;
            paintWithColour(hwnd, dc, ps.rcPaint);
            EndPaint(hwnd, &ps);
        }
        seen.push_back(s);
        return 0;
    }
    default:
        seen.push_back(s);
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
}

inline bool sameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

#define EXPECT_RECT(expected, actual)                                                                                  \
    EXPECT_TRUE(sameRect(expected, actual)) << "expected " << rectText(expected) << ", got " << rectText(actual)

// ---- message sequences, checked whole as Wine's ok_sequence does ----

// The messages the window manager sends, by name, for failure messages.
struct MessageName {
    UINT msg;
    const char *name;
    bool halves; // lParam holds two signed 16-bit halves: a size or a point
};
inline const MessageName messageNames[] = {
    {WM_CREATE, "WM_CREATE", false},
    {WM_DESTROY, "WM_DESTROY", false},
    {WM_MOVE, "WM_MOVE", true},
    {WM_SIZE, "WM_SIZE", true},
    {WM_PAINT, "WM_PAINT", false},
    {WM_CLOSE, "WM_CLOSE", false},
    {WM_QUIT, "WM_QUIT", false},
    {WM_ERASEBKGND, "WM_ERASEBKGND", false},
    {WM_SHOWWINDOW, "WM_SHOWWINDOW", false},
    {WM_SETTINGCHANGE, "WM_SETTINGCHANGE", false},
    {WM_TIMER, "WM_TIMER", false},
    {WM_MOUSEMOVE, "WM_MOUSEMOVE", true},
    {WM_LBUTTONDOWN, "WM_LBUTTONDOWN", true},
    {WM_LBUTTONUP, "WM_LBUTTONUP", true},
    {WM_CAPTURECHANGED, "WM_CAPTURECHANGED", false},
    {0, nullptr, false},
};

inline const MessageName *messageNameOf(UINT msg)
{
    const MessageName *m = messageNames;
    while (m->name && m->msg != msg)
        ++m;
    return m->name ? m : nullptr;
}

inline std::string messageName(UINT msg)
{
    if (const MessageName *m = messageNameOf(msg))
        return m->name;
    if (msg >= WM_USER)
        return msg == WM_USER ? "WM_USER" : "WM_USER+" + std::to_string(msg - WM_USER);
    char text[16];
    snprintf(text, sizeof text, "0x%04X", msg);
    return text;
}

inline std::string hexText(unsigned long long v)
{
    char text[24];
    snprintf(text, sizeof text, "0x%llX", v);
    return text;
}

inline std::string lParamText(UINT msg, LPARAM lParam)
{
    const MessageName *m = messageNameOf(msg);
    if (!m || !m->halves)
        return hexText((unsigned long long)lParam);
    char text[32];
    snprintf(text, sizeof text, "(%d, %d)", (short)LOWORD(lParam), (short)HIWORD(lParam));
    return text;
}

inline std::string windowText(HWND hwnd)
{
    char text[32];
    snprintf(text, sizeof text, "%p", (void *)hwnd);
    return text;
}

// One row of an expected sequence: the window and the message, and the parameters, the paint
// rectangle and erase flag, or the tick of arrival where the row asks for them.
struct ExpectedMessage {
    HWND hwnd;
    UINT msg;
    std::optional<WPARAM> wParam;
    std::optional<LPARAM> lParam;
    std::optional<RECT> paint;
    std::optional<bool> erase;
    std::optional<DWORD> tick;

    ExpectedMessage &wparam(WPARAM v)
    {
        wParam = v;
        return *this;
    }
    ExpectedMessage &lparam(LPARAM v)
    {
        lParam = v;
        return *this;
    }
    // WM_PAINT: the rcPaint and fErase that BeginPaint gave.
    ExpectedMessage &paints(const RECT &r, bool erased)
    {
        paint = r;
        erase = erased;
        return *this;
    }
    ExpectedMessage &at(DWORD t)
    {
        tick = t;
        return *this;
    }

    bool matches(const Seen &s) const
    {
        return s.hwnd == hwnd && s.msg == msg && (!wParam || s.wParam == *wParam) && (!lParam || s.lParam == *lParam) &&
               (!paint || sameRect(s.paint, *paint)) && (!erase || (s.erase != FALSE) == *erase) &&
               (!tick || s.tick == *tick);
    }

    std::string text() const
    {
        std::string out = messageName(msg) + " to " + windowText(hwnd);
        if (wParam)
            out += ", wParam " + hexText(*wParam);
        if (lParam)
            out += ", lParam " + lParamText(msg, *lParam);
        if (paint)
            out += ", rcPaint " + rectText(*paint) + ", fErase " + std::to_string(*erase ? 1 : 0);
        if (tick)
            out += ", at " + std::to_string(*tick);
        return out;
    }
};

// A row for a message to a window; add .wparam(), .lparam(), .paints() or .at() to compare more.
inline ExpectedMessage to(HWND hwnd, UINT msg)
{
    return ExpectedMessage{hwnd, msg, {}, {}, {}, {}, {}};
}

typedef std::vector<ExpectedMessage> Messages;

// A received message with everything that came with it; the tick only when the row it is set
// against compares one.
inline std::string seenText(const Seen &s, bool withTick)
{
    std::string out = messageName(s.msg) + " to " + windowText(s.hwnd) + ", wParam " + hexText(s.wParam) + ", lParam " +
                      lParamText(s.msg, s.lParam);
    if (s.msg == WM_PAINT)
        out += ", rcPaint " + rectText(s.paint) + ", fErase " + std::to_string(s.erase ? 1 : 0);
    if (withTick)
        out += ", at " + std::to_string(s.tick);
    return out;
}

// Checks that the messages received since the last check are exactly the table's rows in order,
// then forgets them. A mismatch lists both sequences numbered, the first difference marked; the
// failure names the table and points at the line of expectMessages(table).
inline void expectMessagesAt(const char *file, int line, const char *table, const Messages &expected)
{
    size_t differs = 0;
    while (differs < seen.size() && differs < expected.size() && expected[differs].matches(seen[differs]))
        ++differs;
    if (differs < seen.size() || differs < expected.size()) {
        std::string listing;
        size_t rows = std::max(seen.size(), expected.size());
        for (size_t i = 0; i < rows; ++i) {
            bool tick = i < expected.size() ? expected[i].tick.has_value() : seen[i].msg == WM_TIMER;
            char number[16];
            snprintf(number, sizeof number, "%s%3zu  ", i == differs ? ">" : " ", i + 1);
            listing += std::string(number) + "expected " + (i < expected.size() ? expected[i].text() : "nothing") +
                       "\n      got      " + (i < seen.size() ? seenText(seen[i], tick) : "nothing") + "\n";
        }
        ADD_FAILURE_AT(file, line) << "messages differ from " << table << " at message " << differs + 1 << ":\n"
                                   << listing;
    }
    seen.clear();
}
#define expectMessages(...) expectMessagesAt(__FILE__, __LINE__, #__VA_ARGS__, __VA_ARGS__)

// Each test starts from a fresh platform with the test class registered, and ends with no
// violation left unexamined: a test that provokes one checks it with takeViolations().
class WindowManagerTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        emuReset();
        seen.clear();
        createResult = 0;
        ignorePaint = false;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = recordingProc;
        wc.lpszClassName = testClass;
        ASSERT_NE(0, RegisterClassW(&wc));
    }

    void TearDown() override
    {
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << "unexpected violation: " << emuViolation(i);
    }

    // The violations recorded so far, cleared.
    std::vector<std::string> takeViolations()
    {
        std::vector<std::string> out;
        for (int i = 0; i < emuViolationCount(); ++i)
            out.push_back(emuViolation(i));
        emuClearViolations();
        return out;
    }

    HWND topLevel(int x, int y, int w, int h, DWORD colour = 0, DWORD style = WS_VISIBLE, DWORD exStyle = 0)
    {
        HWND hwnd = CreateWindowExW(exStyle, testClass, L"", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
        if (hwnd && colour)
            SetWindowLongW(hwnd, GWL_USERDATA, (LONG)colour);
        return hwnd;
    }

    HWND child(HWND parent, int x, int y, int w, int h, DWORD colour = 0, DWORD style = WS_VISIBLE)
    {
        HWND hwnd = CreateWindowExW(0, testClass, L"", WS_CHILD | style, x, y, w, h, parent, nullptr, nullptr, nullptr);
        if (hwnd && colour)
            SetWindowLongW(hwnd, GWL_USERDATA, (LONG)colour);
        return hwnd;
    }
};

#endif // TESTS_EMU_WMTEST_H
