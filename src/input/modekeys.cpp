// What a key does when the pen goes down on it and when it is lifted: mode switches, the one-shot
// shift, caps lock, hold-a-mode-key-and-type, and the character keys.
#include "input.h"

#include "../model/panelstate.h"
#include "../surface/surface.h"

// The mode a mode key switches to from the current one; the shift key also sets capsRemembered.
static void switchMode(const KeyRecord *key)
{
    if (key->flags & KEY_SHIFT) {
        if (panel.mode == MODE_LOWER) {
            panel.mode = MODE_SHIFT;
            panel.capsRemembered = 0;
        } else if (panel.mode == MODE_SHIFT) {
            panel.mode = MODE_CAPS;
            panel.capsRemembered = 1;
        } else {
            panel.mode = MODE_LOWER;
            panel.capsRemembered = 0;
        }
    } else if (key->flags & KEY_TO_NUMERIC) {
        panel.mode = MODE_NUMERIC;
    } else if (key->flags & KEY_TO_LETTERS) {
        panel.mode = panel.capsRemembered ? MODE_CAPS : MODE_LOWER;
    } else if (key->flags & KEY_TO_SYMBOLS) {
        panel.mode = MODE_SYMBOLS;
    }
}

static void showMode()
{
    selectLayout();
    repaintKeyboard();
}

void endModeGesture()
{
    if (panel.savedMode != MODE_NONE) {
        panel.mode = (KeyboardMode)panel.savedMode;
        showMode();
    }
    panel.modeKeyTyped = 0;
    panel.savedMode = MODE_NONE;
}

int pressKey(KeyRecord *key, const RECT *keyRect)
{
    ++panel.pressedCount;

    if (!isModeKey(*key)) {
        if (panel.savedMode != MODE_NONE)
            panel.modeKeyTyped = 1;
        key->flags |= KEY_PRESSED;
        magnifyKey(1, keyRect);
        return 1;
    }

    // While a mode key is held, a second one acts only after a character was typed under the first.
    if (panel.savedMode != MODE_NONE && !panel.modeKeyTyped)
        return 1;
    panel.modeKeyTyped = 0;
    if (panel.savedMode == MODE_NONE)
        panel.savedMode = (LONG)panel.mode;
    switchMode(key);
    showMode();
    return 1;
}

int releaseKey(KeyRecord *key, const RECT *keyRect)
{
    --panel.pressedCount;
    key->flags &= ~(UINT)KEY_PRESSED;
    ShowWindow(panel.letterWindow, SW_HIDE);
    panel.letterVisible = 0;

    if (isModeKey(*key)) {
        // The mode the press chose stays; the gesture is over. A mode key released with no
        // gesture open (which the pen handling never produces) changes nothing either.
        panel.savedMode = MODE_NONE;
        panel.modeKeyTyped = 0;
        return 1;
    }

    if (key->flags & KEY_CALCULATOR)
        launchCalculator();

    bool restore = panel.savedMode != MODE_NONE;
    if (restore)
        panel.mode = (KeyboardMode)panel.savedMode;
    panel.savedMode = MODE_NONE;
    panel.modeKeyTyped = 0;
    // The keyboard returns to the earlier mode before the character goes out.
    if (restore)
        showMode();

    if (key->flags & KEY_CALCULATOR)
        return 1;

    if (!restore)
        magnifyKey(0, keyRect);
    LONG result = sendKeyTap(key);
    if (panel.mode == MODE_SHIFT) {
        panel.mode = MODE_LOWER;
        showMode();
    }
    return result < 0 ? 0 : 1;
}
