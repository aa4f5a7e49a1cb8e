// Pen input and key emission: the keyboard and letter window procedures and their operations.
#ifndef KWENO_INPUT_H
#define KWENO_INPUT_H

#include <windows.h>

#include "../model/keyboard.h"

// Window procedures, registered by Select.
LRESULT CALLBACK keyboardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK letterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Timer ids of the keyboard window.
enum { TIMER_HOLD = 1, TIMER_INITIAL_DELAY = 2, TIMER_REPEAT = 3 };
const UINT HOLD_MILLISECONDS = 500;

// Key emission. sendKeyTap returns -1 for a null key, 0 for a bounce, else the host's result.
LONG sendKeyTap(const KeyRecord *key);
void sendRepeatKeyDown();
void sendRepeatKeyUp();
const DWORD BOUNCE_MILLISECONDS = 75;
const DWORD REPEATS_BEFORE_CONTROL = 20;

// Mode keys and character keys.
int pressKey(KeyRecord *key, const RECT *keyRect);
int releaseKey(KeyRecord *key, const RECT *keyRect);
// Ends an open mode-key gesture without typing: the saved mode, if any, comes back on screen.
void endModeGesture();

// The 125 % magnifier above a pressed key, and the key's own look on the keyboard.
void magnifyKey(int show, const RECT *rect);
// Puts a new back buffer of the given size into the letter window's memory DC, freeing the old.
void replaceLetterBackBuffer(int width, int height);

// The alternatives popup. It stands this far above its key and at least this far inside the panel's
// sides; once open under the pen, sideways moves up to the dead zone do not yet select a cell.
const LONG POPUP_GAP_ABOVE_KEY = 5;
const LONG POPUP_EDGE_MARGIN = 5;
const LONG POPUP_DEAD_ZONE = 10;
void openPopup();
void trackPopup(LONG x, LONG y);
void popupFirstUp();
void closePopup();
void popupTap(LONG x, LONG y);

// The calculator key.
void launchCalculator();

// The system's keyboard repeat timing, read afresh when a key starts to repeat (the input method's
// settings): fills repeatSettings, defaults where a value is missing; the rate is never 0 afterwards.
void readRepeatSettings();

// The input panel's key under the current user, where the default input method and the calculator
// to start are named (the input method's settings).
extern const WCHAR SIP_SETTINGS_KEY[];

// Stops the keyboard window's running timer, if any.
void stopTimer();
// Ends a hold: a running repeat gets its key-up, the timer stops, no key is held any more.
void endHold();
// Abandons whatever the pen is doing (the panel is being hidden).
HRESULT cancelPen();

#endif // KWENO_INPUT_H
