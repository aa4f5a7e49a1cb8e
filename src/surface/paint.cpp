// Keyboard painting: the face pair of the mode, with pressed keys copied from the pressed face.
#include "surface.h"

#include "../model/panelstate.h"
#include "imageids.h"

// Forgets a bitmap handle after deleting it.
static void deleteBitmap(HBITMAP *bitmap)
{
    if (*bitmap) {
        DeleteObject(*bitmap);
        *bitmap = 0;
    }
}

// Selects a face into faceDC; the first selection that succeeds reveals the bitmap faceDC was made
// with, which Deselect puts back.
static void selectIntoFaceDC(HBITMAP face)
{
    // Before any pair has loaded there is nothing to select.
    if (!face)
        return;
    HGDIOBJ displaced = SelectObject(panel.faceDC, face);
    if (!panel.faceStockBitmap)
        panel.faceStockBitmap = (HBITMAP)displaced;
}

void selectFace(FacePicture picture)
{
    LONG pressedId = pressedFaceId(panel.mode, panel.portrait);
    LONG normalId = normalImageId(pressedId);

    if (normalId == panel.loadedNormalImageId && pressedId == panel.loadedPressedImageId) {
        selectIntoFaceDC(picture == NORMAL_FACE ? panel.normalFaceBitmap : panel.pressedFaceBitmap);
        return;
    }

    // The ids count as loaded even when a load fails, so that a missing face is not retried at
    // every paint; the next mode or orientation tries again.
    HBITMAP normal = SHLoadImageResource(panel.resourceModule, (UINT)normalId);
    panel.loadedNormalImageId = normalId;
    HBITMAP pressed = SHLoadImageResource(panel.resourceModule, (UINT)pressedId);
    panel.loadedPressedImageId = pressedId;
    if (!normal || !pressed) {
        // Half a pair is of no use: the previous pair stays on screen.
        deleteBitmap(&normal);
        deleteBitmap(&pressed);
        return;
    }

    selectIntoFaceDC(picture == NORMAL_FACE ? normal : pressed);
    // The old pair is no longer selected, so it may go now.
    deleteBitmap(&panel.normalFaceBitmap);
    deleteBitmap(&panel.pressedFaceBitmap);
    panel.normalFaceBitmap = normal;
    panel.pressedFaceBitmap = pressed;
}

// Copies a rectangle (inclusive edges) from faceDC to the same place in dc.
static void copyFromFace(HDC dc, const RECT &r)
{
    BitBlt(dc, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1, panel.faceDC, r.left, r.top, SRCCOPY);
}

void paintKeyboard(HDC dc, const RECT *updateRect)
{
    selectFace(NORMAL_FACE);
    copyFromFace(dc, *updateRect);
    if (panel.pressedCount <= 0)
        return;

    const RowBounds &bounds = *panel.currentRowBounds;
    LONG seen = 0;
    for (int row = 0; row < ROW_COUNT; ++row) {
        for (KeyRecord *key = (*panel.currentLayout)[row]; !isSentinel(*key); ++key) {
            if (!(key->flags & KEY_PRESSED))
                continue;
            RECT keyRect = {key->left, bounds[row], key->right, bounds[row + 1] - 1};
            RECT overlap;
            if (IntersectRect(&overlap, &keyRect, updateRect)) {
                // The whole key, not just the overlap, so that a key never shows half pressed.
                selectFace(PRESSED_FACE);
                copyFromFace(dc, keyRect);
            }
            if (++seen >= panel.pressedCount)
                return;
        }
    }
}

void repaintKeyboard()
{
    RECT client;
    if (!GetClientRect(panel.keyboardWindow, &client))
        return;
    HDC dc = GetDC(panel.keyboardWindow);
    if (!dc)
        return;
    paintKeyboard(dc, &client);
    ReleaseDC(panel.keyboardWindow, dc);
}

void clearPressedKeys()
{
    panel.pressedCount = 0;
    // Shift and caps share their layouts, which are simply cleared twice.
    for (int mode = 0; mode < LAYOUT_MODES; ++mode) {
        KeyboardLayout *const layouts[] = {modeLayouts[mode].portrait, modeLayouts[mode].landscape};
        for (int i = 0; i < 2; ++i)
            for (int row = 0; row < ROW_COUNT; ++row)
                for (KeyRecord *key = (*layouts[i])[row]; !isSentinel(*key); ++key)
                    key->flags &= ~(UINT)KEY_PRESSED;
    }
}
