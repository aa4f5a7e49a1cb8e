// The keyboard window: pen down, move and up, the hold / initial-delay / repeat timers, the
// display-reset notice and painting. The only place where the pen acts on the keyboard.
#include "input.h"

#include "../model/panelstate.h"
#include "../surface/surface.h"

// Pen coordinates are signed 16-bit halves of lParam, in client (layout) coordinates.
static LONG penX(LPARAM lParam)
{
    return (LONG)(SHORT)LOWORD(lParam);
}
static LONG penY(LPARAM lParam)
{
    return (LONG)(SHORT)HIWORD(lParam);
}

static void startTimer(UINT_PTR id, UINT milliseconds)
{
    panel.timerId = SetTimer(panel.keyboardWindow, id, milliseconds, 0);
}

void stopTimer()
{
    if (panel.timerId) {
        KillTimer(panel.keyboardWindow, panel.timerId);
        panel.timerId = 0;
    }
}

// Takes the pressed look and the magnifier off pressedKey; nothing is sent for it.
static void unpressKey()
{
    panel.pressedKey->flags &= ~(UINT)KEY_PRESSED;
    magnifyKey(0, &panel.pressedKeyRect);
}

static bool holdsSomething(const KeyRecord *key)
{
    return (key->flags & KEY_REPEAT) || key->alternatives;
}

// Makes key the pressed key, with its hold timer when it repeats or has alternatives.
static void pressNewKey(KeyRecord *key)
{
    panel.pressedKey = key;
    if (holdsSomething(key)) {
        panel.heldKey = key;
        startTimer(TIMER_HOLD, HOLD_MILLISECONDS);
    }
    pressKey(key, &panel.pressedKeyRect);
}

static void onPenDown(LONG x, LONG y)
{
    if (panel.popupShown && panel.popupSelecting) {
        popupTap(x, y);
        return;
    }
    panel.pressedKeyRect.left = x;
    panel.pressedKeyRect.top = y;
    panel.penDownX = x;
    if (!insideRows(y))
        return;
    KeyRecord *key = hitTest(&panel.pressedKeyRect);
    if (!key) {
        panel.pressedKey = 0;
        return;
    }
    pressNewKey(key);
    SetCapture(panel.keyboardWindow);
    panel.captured = 1;
}

static void onPenMove(LONG x, LONG y)
{
    if (panel.ignoreNextUp)
        return;
    if (panel.popupShown) {
        if (!panel.heldKey)
            return;
        // The dead zone: a popup just opened under the pen ignores small sideways moves.
        LONG dx = x - panel.penDownX;
        if (!panel.popupDragged && dx >= -POPUP_DEAD_ZONE && dx <= POPUP_DEAD_ZONE)
            return;
        panel.popupDragged = 1;
        trackPopup(x, y);
        return;
    }
    if (!insideRows(y)) {
        // Off the keyboard: the key stays the pressed key, so that lifting back on it sends it.
        if (panel.pressedKey)
            unpressKey();
        sendRepeatKeyUp();
        stopTimer();
        panel.heldKey = 0;
        return;
    }
    panel.penDownX = x;
    RECT scratch = {x, y, 0, 0};
    KeyRecord *key = hitTest(&scratch);
    if (!key || key == panel.pressedKey)
        return;

    // A slide: nothing is sent for the key the pen leaves.
    if (panel.pressedKey)
        unpressKey();
    sendRepeatKeyUp();
    stopTimer();
    panel.pressedKeyRect = scratch;
    panel.heldKey = 0;
    pressNewKey(key);
}

static void releaseCapture()
{
    ReleaseCapture();
    panel.captured = 0;
}

static void onPenUp(LONG y)
{
    if (panel.ignoreNextUp) {
        // The end of the tap that closed the popup.
        panel.ignoreNextUp = 0;
        releaseCapture();
        return;
    }
    stopTimer();
    if (panel.popupShown) {
        if (!panel.popupSelecting) {
            // Lifted without moving the highlight: the popup waits for a tap, and keeps the pen.
            popupFirstUp();
            return;
        }
        closePopup();
    } else {
        if (insideRows(y)) {
            sendRepeatKeyUp();
            if (panel.pressedKey)
                releaseKey(panel.pressedKey, &panel.pressedKeyRect);
        } else if (panel.pressedKey) {
            // Lifted off the rows without a move reported there first: end the press as leaving
            // the rows would have, or the key would stay pressed and a repeat never get its key-up.
            if (panel.pressedKey->flags & KEY_PRESSED)
                unpressKey();
            sendRepeatKeyUp();
        }
        panel.heldKey = 0;
        panel.pressedKey = 0;
    }
    releaseCapture();
}

static void onTimer(UINT_PTR id)
{
    switch (id) {
    case TIMER_HOLD:
        if (!panel.heldKey)
            return;
        if (panel.heldKey->flags & KEY_REPEAT) {
            panel.repeatCount = 0;
            sendRepeatKeyDown();
            readRepeatSettings();
            KillTimer(panel.keyboardWindow, panel.timerId);
            startTimer(TIMER_INITIAL_DELAY, (UINT)panel.repeatSettings.initialDelay);
        } else if (panel.heldKey->alternatives) {
            openPopup();
        }
        return;
    case TIMER_INITIAL_DELAY:
        sendRepeatKeyDown();
        KillTimer(panel.keyboardWindow, panel.timerId);
        startTimer(TIMER_REPEAT, (UINT)(1000 / panel.repeatSettings.repeatRate));
        return;
    case TIMER_REPEAT:
        sendRepeatKeyDown();
        return;
    default:
        return;
    }
}

static void onSettingChange(WPARAM code)
{
    if (code != SETTINGCHANGE_RESET)
        return;
    updateGeometry();
    panel.imInfo.fdwFlags = SIPF_DOCKED;
    if (panel.hostCallback)
        panel.hostCallback->SetImInfo(&panel.imInfo);
}

static void onPaint(HWND window)
{
    PAINTSTRUCT ps;
    // Without a DC the paint record holds nothing to go by; the window stays invalid and is
    // painted at the next chance.
    HDC dc = BeginPaint(window, &ps);
    if (!dc)
        return;
    paintKeyboard(dc, &ps.rcPaint);
    EndPaint(window, &ps);
}

LRESULT CALLBACK keyboardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
        onPenDown(penX(lParam), penY(lParam));
        return 0;
    case WM_MOUSEMOVE:
        // Only a pen that is down moves. A mouse passing over the keyboard with its button up
        // (which a stylus never does) must press nothing, switch no mode and open no popup.
        if (wParam & MK_LBUTTON)
            onPenMove(penX(lParam), penY(lParam));
        return 0;
    case WM_LBUTTONUP:
        onPenUp(penY(lParam));
        return 0;
    case WM_TIMER:
        onTimer(wParam);
        return 0;
    case WM_SETTINGCHANGE:
        onSettingChange(wParam);
        return 0;
    case WM_PAINT:
        onPaint(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void endHold()
{
    sendRepeatKeyUp();
    stopTimer();
    panel.heldKey = 0;
}

HRESULT cancelPen()
{
    if (panel.popupShown) {
        ShowWindow(panel.letterWindow, SW_HIDE);
        panel.popupShown = 0;
        endModeGesture();
    }
    if (panel.pressedKey)
        unpressKey();
    endHold();
    if (panel.captured)
        ReleaseCapture();
    // The tap that closed a popup may never end here now; its pen-up must not swallow the next one.
    panel.ignoreNextUp = 0;
    if (panel.letterVisible) {
        ShowWindow(panel.letterWindow, SW_HIDE);
        panel.letterVisible = 0;
    }
    return S_OK;
}
