// Orientation, the panel rectangle announced to the host, and the layout for mode and orientation.
#include "surface.h"

#include "../model/panelstate.h"

void updateGeometry()
{
    // Without a parent to measure, the last known rectangle of the host window stands.
    HWND host = GetParent(panel.keyboardWindow);
    if (host)
        GetWindowRect(host, &panel.hostRect);

    RECT &sip = panel.imInfo.rcSipRect;
    sip.left = 0;
    sip.bottom = panel.hostRect.bottom;

    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    // A square screen takes the landscape keyboard.
    if (width < height) {
        panel.portrait = 1;
        sip.right = PORTRAIT_WIDTH;
        sip.top = panel.hostRect.bottom - PORTRAIT_HEIGHT;
    } else {
        panel.portrait = 0;
        sip.right = LANDSCAPE_WIDTH;
        sip.top = panel.hostRect.bottom - LANDSCAPE_HEIGHT;
    }
    selectLayout();
}

void selectLayout()
{
    KeyboardLayout *portraitLayout;
    KeyboardLayout *landscapeLayout;
    const RowBounds *portraitRows;
    const RowBounds *landscapeRows;

    switch (panel.mode & 0xF) {
    case MODE_SHIFT:
    case MODE_CAPS:
        portraitLayout = &upperPortrait;
        landscapeLayout = &upperLandscape;
        portraitRows = &upperPortraitRows;
        landscapeRows = &upperLandscapeRows;
        break;
    case MODE_NUMERIC:
        portraitLayout = &numericPortrait;
        landscapeLayout = &numericLandscape;
        portraitRows = &numericPortraitRows;
        landscapeRows = &numericLandscapeRows;
        break;
    case MODE_SYMBOLS:
        portraitLayout = &symbolsPortrait;
        landscapeLayout = &symbolsLandscape;
        portraitRows = &symbolsPortraitRows;
        landscapeRows = &symbolsLandscapeRows;
        break;
    case MODE_LOWER:
        portraitLayout = &lowerPortrait;
        landscapeLayout = &lowerLandscape;
        portraitRows = &lowerPortraitRows;
        landscapeRows = &lowerLandscapeRows;
        break;
    default:
        // An unknown mode falls back to the lower-case letters for good, not just for this layout.
        panel.mode = MODE_LOWER;
        portraitLayout = &lowerPortrait;
        landscapeLayout = &lowerLandscape;
        portraitRows = &lowerPortraitRows;
        landscapeRows = &lowerLandscapeRows;
        break;
    }

    if (panel.portrait) {
        panel.currentRowBounds = portraitRows;
        panel.currentLayout = portraitLayout;
    } else {
        panel.currentRowBounds = landscapeRows;
        panel.currentLayout = landscapeLayout;
    }
}
