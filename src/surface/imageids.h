// Identifiers of the bitmaps in the image resource module.
#ifndef KWENO_IMAGEIDS_H
#define KWENO_IMAGEIDS_H

#include <windows.h>

#include "../model/keyboard.h"

// The module every picture comes from.
#define RESOURCE_MODULE_PATH L"\\Windows\\KWENO_Resources.dll"

const LONG FACE_ID_BASE = 0x1000;
const LONG FACE_ID_MODE_STEP = 16;
const LONG FACE_ID_LANDSCAPE = 4;

// The pressed face of a mode (low four bits used) and orientation; its normal face follows.
inline LONG pressedFaceId(DWORD mode, LONG portrait)
{
    return FACE_ID_BASE + FACE_ID_MODE_STEP * (LONG)(mode & 0xF) + (portrait ? 0 : FACE_ID_LANDSCAPE);
}

// How far after its highlighted (pressed) picture the variant's normal one lies (the server's).
LONG normalImageOffset();

// The normal picture of a face or popup pair, from the id of its highlighted (pressed) picture.
inline LONG normalImageId(LONG pressedId)
{
    return pressedId + normalImageOffset();
}

// A popup's highlighted picture is named in its list's header.
inline LONG popupPressedId(const KeyRecord *list)
{
    return (LONG)list[0].flags;
}

// The panel icon: a square bitmap whose magenta pixels are transparent in the image list.
const int PANEL_ICON_SIZE = 32;
const COLORREF PANEL_ICON_MASK = RGB(0xFF, 0x00, 0xFF);

// Popup pictures have a margin of this many pixels on every side of the cells.
const LONG POPUP_MARGIN = 10;

// A popup's pictures, and the window that shows them: the cells' span, from the list's header, and
// one row of cells, inside the margin.
inline LONG popupWidth(const KeyRecord *list)
{
    return (list[0].right - list[0].left) + 2 * POPUP_MARGIN;
}
const LONG POPUP_HEIGHT = cellHeight + 2 * POPUP_MARGIN;

// A cell's rectangle in the popup's pictures and window, inclusive edges.
inline RECT popupCellRect(const KeyRecord &alternative)
{
    RECT r = {alternative.left + POPUP_MARGIN, POPUP_MARGIN, alternative.right + POPUP_MARGIN,
              POPUP_MARGIN + cellHeight - 1};
    return r;
}

#endif // KWENO_IMAGEIDS_H
