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
    DWORD family = panel.mode & 0xF;
    // An unknown mode falls back to the lower-case letters for good, not just for this layout.
    if (family >= (DWORD)LAYOUT_MODES) {
        panel.mode = MODE_LOWER;
        family = MODE_LOWER;
    }
    const ModeLayouts &layouts = modeLayouts[family];
    if (panel.portrait) {
        panel.currentRowBounds = layouts.portraitRows;
        panel.currentLayout = layouts.portrait;
    } else {
        panel.currentRowBounds = layouts.landscapeRows;
        panel.currentLayout = layouts.landscape;
    }
}
