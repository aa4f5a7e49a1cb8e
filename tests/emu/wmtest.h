// Test windows for the window manager's tests: a class whose procedure records every message.
#ifndef TESTS_EMU_WMTEST_H
#define TESTS_EMU_WMTEST_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <emu.h>
#include <windows.h>

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

inline std::string rectText(const RECT &r)
{
    return "{" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + "}";
}

inline bool sameRect(const RECT &a, const RECT &b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

#define EXPECT_RECT(expected, actual)                                                                                  \
    EXPECT_TRUE(sameRect(expected, actual)) << "expected " << rectText(expected) << ", got " << rectText(actual)

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

    // The messages of one kind, in the order they came.
    static std::vector<Seen> received(UINT msg, HWND hwnd = nullptr)
    {
        std::vector<Seen> out;
        for (const Seen &s : seen)
            if (s.msg == msg && (!hwnd || s.hwnd == hwnd))
                out.push_back(s);
        return out;
    }
};

#endif // TESTS_EMU_WMTEST_H
