// The panel's module-wide state: one keyboard per loaded module.
#ifndef KWENO_PANELSTATE_H
#define KWENO_PANELSTATE_H

#include <windows.h>
#include <commctrl.h>

#include <aygshell.h>
#include <sip.h>

#include "keyboard.h"

// The platform's keyboard repeat settings when the registry gives none.
const LONG DEFAULT_REPEAT_RATE = 18;
const LONG DEFAULT_INITIAL_DELAY = 512;

struct RepeatSettings {
    LONG repeatRate;   // repeats per second
    LONG initialDelay; // milliseconds from the first repeat to the second
};

struct PanelState {
    // The variables that do not start at zero come first, so that the state at load names only
    // them (panelstate.cpp) and the language zeroes the rest.
    RepeatSettings repeatSettings;
    LONG savedMode;
    LONG portrait;
    LONG firstSelect;

    // Mode
    KeyboardMode mode;
    LONG capsRemembered;
    LONG modeKeyTyped;

    // Layout and geometry
    KeyboardLayout *currentLayout;
    const RowBounds *currentRowBounds;
    RECT hostRect;
    IMINFO imInfo;

    // Pen and key state
    KeyRecord *pressedKey;
    RECT pressedKeyRect;
    KeyRecord *heldKey;
    UINT_PTR timerId;
    DWORD repeatCount;
    LONG pressedCount;
    DWORD lastTapTime;
    const KeyRecord *lastTapKey;
    LONG penDownX;
    LONG captured;
    LONG popupShown;
    LONG popupSelecting;
    LONG popupDragged;
    LONG ignoreNextUp;
    LONG popupIndex;
    RECT popupRect;
    LONG letterVisible;

    // Drawing resources, created by Select and released by Deselect
    HWND keyboardWindow;
    HWND letterWindow;
    HDC faceDC;
    HBITMAP faceStockBitmap;
    HBITMAP normalFaceBitmap;
    HBITMAP pressedFaceBitmap;
    LONG loadedNormalImageId;
    LONG loadedPressedImageId;
    HDC letterDC;
    HDC letterMemDC;
    HBITMAP letterBackBitmap;
    HBITMAP letterStockBitmap;
    HDC popupImageDC;
    HBITMAP popupNormalBitmap;
    HBITMAP popupPressedBitmap;
    HBITMAP popupStockBitmap;
    HIMAGELIST imageList;
    HMODULE resourceModule;
    IIMCallback *hostCallback;

    // Module
    LONG lockCount;
    HINSTANCE moduleInstance;
};

// The one panel of this module.
extern PanelState panel;

// The values the panel has when the module is loaded.
extern const PanelState panelStateAtLoad;

#endif // KWENO_PANELSTATE_H
