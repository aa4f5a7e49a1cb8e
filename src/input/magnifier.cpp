// The key magnifier: the pressed key enlarged to 125 % above itself, in the letter window, and the
// key's own look on the keyboard.
#include "input.h"

#include "../model/panelstate.h"
#include "../surface/surface.h"

// Puts a new back buffer of the given size into letterMemDC, freeing the one it replaces.
void replaceLetterBackBuffer(int width, int height)
{
    if (panel.letterBackBitmap) {
        if (panel.letterStockBitmap)
            SelectObject(panel.letterMemDC, panel.letterStockBitmap);
        DeleteObject(panel.letterBackBitmap);
    }
    // A bitmap that cannot be made leaves the window blank until the next show tries again.
    panel.letterBackBitmap = panel.letterDC ? CreateCompatibleBitmap(panel.letterDC, width, height) : 0;
    panel.letterStockBitmap =
        panel.letterBackBitmap ? (HBITMAP)SelectObject(panel.letterMemDC, panel.letterBackBitmap) : 0;
}

static void showMagnified(const RECT *rect)
{
    LONG w = rect->right - rect->left;
    LONG h = rect->bottom - rect->top;
    // The enlargement applies to the inclusive extents minus one, fraction dropped.
    LONG magW = (5 * w) / 4;
    LONG magH = (5 * h) / 4;

    LONG x = rect->left - (magW - w) / 2;
    if (x < 0)
        x = 0;
    if (x + magW > panel.hostRect.right)
        x = panel.hostRect.right - magW;
    // One free row between the magnifier and the key; above the top row it may leave the screen.
    LONG y = panel.hostRect.top + rect->top - 1 - magH;

    MoveWindow(panel.letterWindow, x, y, magW, magH, FALSE);
    replaceLetterBackBuffer(magW, magH);
    selectFace(PRESSED_FACE);
    StretchBlt(panel.letterMemDC, 0, 0, magW, magH, panel.faceDC, rect->left, rect->top, w + 1, h + 1, SRCCOPY);
    ShowWindow(panel.letterWindow, SW_SHOWNA);
    panel.letterVisible = 1;
}

void magnifyKey(int show, const RECT *rect)
{
    if (show) {
        showMagnified(rect);
    } else {
        ShowWindow(panel.letterWindow, SW_HIDE);
        panel.letterVisible = 0;
    }

    // The key itself, drawn straight onto the keyboard in the look that matches.
    selectFace(show ? PRESSED_FACE : NORMAL_FACE);
    HDC dc = GetDC(panel.keyboardWindow);
    if (!dc)
        return;
    BitBlt(dc, rect->left, rect->top, rect->right - rect->left + 1, rect->bottom - rect->top + 1, panel.faceDC,
           rect->left, rect->top, SRCCOPY);
    ReleaseDC(panel.keyboardWindow, dc);
}

static void onLetterPaint(HWND window)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (!dc)
        return;
    const RECT &r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1, panel.letterMemDC, r.left, r.top, SRCCOPY);
    EndPaint(window, &ps);
}

LRESULT CALLBACK letterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        // No caption, border or other decoration.
        SetWindowLongW(window, GWL_STYLE, 0);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_PAINT:
        onLetterPaint(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}
