// A visible top-level window that paints nothing of its own, for the tests of window DCs.
#ifndef KWENO_TESTS_EMU_PLAINWINDOW_H
#define KWENO_TESTS_EMU_PLAINWINDOW_H

#include <windows.h>

inline LRESULT CALLBACK plainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

inline HWND plainWindow(int x, int y, int width, int height)
{
    static const WCHAR className[] = L"EmuPlainTestWindow";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = plainProc;
    wc.lpszClassName = className;
    RegisterClassW(&wc); // fails harmlessly once registered
    return CreateWindowExW(0, className, L"", WS_POPUP | WS_VISIBLE, x, y, width, height, nullptr, nullptr, nullptr,
                           nullptr);
}

#endif // KWENO_TESTS_EMU_PLAINWINDOW_H
