// The alternatives popup: opened by a hold, picked by dragging or by a later tap.
#include "input.h"

#include "../model/panelstate.h"
#include "../surface/imageids.h"
#include "../surface/surface.h"

static const KeyRecord *heldList()
{
    return panel.heldKey->alternatives;
}

// Copies cell i from the highlighted or the normal picture into the letter window's back buffer.
static void drawCell(const KeyRecord *list, LONG i, bool highlighted)
{
    HBITMAP picture = highlighted ? panel.popupPressedBitmap : panel.popupNormalBitmap;
    if (picture)
        SelectObject(panel.popupImageDC, picture);
    RECT r = popupCellRect(list[i]);
    BitBlt(panel.letterMemDC, r.left, r.top, r.right - r.left + 1, cellHeight, panel.popupImageDC, r.left, r.top,
           SRCCOPY);
}

// Invalidates the letter window over cells a to b (inclusive, either order), edges included.
static void invalidateCells(const KeyRecord *list, LONG a, LONG b)
{
    RECT first = popupCellRect(list[a < b ? a : b]);
    RECT last = popupCellRect(list[a < b ? b : a]);
    RECT span = {first.left, first.top, last.right + 1, last.bottom + 1};
    InvalidateRect(panel.letterWindow, &span, FALSE);
}

// Loads the popup's two pictures; only a complete pair replaces the one in use.
static void loadPopupPictures(const KeyRecord *list)
{
    LONG pressedId = popupPressedId(list);
    HBITMAP pressed = SHLoadImageResource(panel.resourceModule, (UINT)pressedId);
    HBITMAP normal = SHLoadImageResource(panel.resourceModule, (UINT)normalImageId(pressedId));
    if (!pressed || !normal) {
        // Half a pair is of no use; the previous pictures stay.
        if (pressed)
            DeleteObject(pressed);
        if (normal)
            DeleteObject(normal);
        return;
    }
    HGDIOBJ displaced = SelectObject(panel.popupImageDC, normal);
    if (!panel.popupStockBitmap)
        panel.popupStockBitmap = (HBITMAP)displaced;
    if (panel.popupNormalBitmap)
        DeleteObject(panel.popupNormalBitmap);
    if (panel.popupPressedBitmap)
        DeleteObject(panel.popupPressedBitmap);
    panel.popupNormalBitmap = normal;
    panel.popupPressedBitmap = pressed;
}

void openPopup()
{
    const KeyRecord *key = panel.heldKey;
    const KeyRecord *list = heldList();
    const KeyRecord &header = list[0];
    LONG d = (LONG)header.character;

    stopTimer();

    LONG pw = popupWidth(list);
    LONG ph = POPUP_HEIGHT;
    // The default cell centred over the key.
    LONG left =
        key->left + ((key->right - key->left) - (list[d].right - list[d].left)) / 2 + header.left - POPUP_MARGIN;
    // The popup's lower edge a little above the key; no vertical clamp.
    LONG top = panel.hostRect.top + panel.pressedKeyRect.top - ph - POPUP_GAP_ABOVE_KEY;

    RECT &r = panel.popupRect;
    r.left = left;
    r.top = top;
    r.right = left + pw;
    r.bottom = top + ph;
    panel.popupDragged = 0;
    panel.popupShown = 1;
    if (left < POPUP_EDGE_MARGIN) {
        r.left = POPUP_EDGE_MARGIN;
        r.right = POPUP_EDGE_MARGIN + pw;
    }
    // The right edge wins over the left one.
    if (r.right > panel.hostRect.right - POPUP_EDGE_MARGIN) {
        r.left -= r.right - (panel.hostRect.right - POPUP_EDGE_MARGIN);
        r.right = panel.hostRect.right - POPUP_EDGE_MARGIN;
    }
    panel.popupSelecting = 0;
    MoveWindow(panel.letterWindow, r.left, top, pw, ph, FALSE);

    loadPopupPictures(list);
    replaceLetterBackBuffer(pw, ph);
    BitBlt(panel.letterMemDC, 0, 0, pw, ph, panel.popupImageDC, 0, 0, SRCCOPY);
    panel.popupIndex = d;
    drawCell(list, d, true);

    ShowWindow(panel.letterWindow, SW_SHOWNA);
    // The magnifier of the same key is usually on screen in this window: a move without repaint
    // would leave its picture there on platforms that do not repaint a moved window.
    InvalidateRect(panel.letterWindow, 0, FALSE);
    panel.letterVisible = 1;
}

// The alternative under the pen while dragging: within a cell's edges, 10 pixels inside the popup's
// sides, in a tall band that covers the key's row and the one below; 0 for none.
static LONG alternativeUnderPen(const KeyRecord *list, LONG x, LONG screenY)
{
    const RECT &r = panel.popupRect;
    if (screenY < r.top - cellHeight + 10 || screenY > r.bottom + 2 * cellHeight + 5 || x < r.left + POPUP_MARGIN ||
        x > r.right - POPUP_MARGIN)
        return 0;
    LONG rx = x - r.left - POPUP_MARGIN;
    for (LONG i = 1; i <= 10 && !isSentinel(list[i]); ++i)
        if (list[i].left <= rx && rx <= list[i].right)
            return i;
    return 0;
}

void trackPopup(LONG x, LONG y)
{
    if (!panel.heldKey)
        return;
    const KeyRecord *list = heldList();
    LONG g = alternativeUnderPen(list, x, y + panel.hostRect.top);
    if (g == panel.popupIndex)
        return;

    panel.popupSelecting = 1;
    LONG previous = panel.popupIndex;
    if (previous)
        drawCell(list, previous, false);
    if (g) {
        panel.popupIndex = g;
        drawCell(list, g, true);
        invalidateCells(list, previous ? previous : g, g);
    } else {
        invalidateCells(list, previous, previous);
        panel.popupIndex = 0;
    }
}

void popupFirstUp()
{
    panel.popupDragged = 1;
    panel.popupSelecting = 1;
    if (!panel.heldKey || !panel.popupIndex)
        return;
    const KeyRecord *list = heldList();
    drawCell(list, panel.popupIndex, false);
    invalidateCells(list, panel.popupIndex, panel.popupIndex);
    panel.popupIndex = 0;
}

void closePopup()
{
    ShowWindow(panel.letterWindow, SW_HIDE);
    panel.popupShown = 0;
    KeyRecord *key = panel.pressedKey;
    if (key) {
        key->flags &= ~(UINT)KEY_PRESSED;
        magnifyKey(0, &panel.pressedKeyRect);
    }
    // The alternative's own record goes out, so the bounce test sees only taps of that alternative.
    if (panel.popupIndex && key && key->alternatives)
        sendKeyTap(&key->alternatives[panel.popupIndex]);
    // The popup ends a gesture that began on a mode key.
    endModeGesture();
    panel.heldKey = 0;
    panel.pressedKey = 0;
}

void popupTap(LONG x, LONG y)
{
    LONG screenY = y + panel.hostRect.top;
    const RECT &r = panel.popupRect;
    panel.ignoreNextUp = 1;
    panel.popupIndex = 0;
    if (panel.heldKey && r.left <= x && x <= r.right && r.top <= screenY && screenY <= r.bottom) {
        // A tap picks by x alone: the margins belong to the first and the last cell.
        const KeyRecord *list = heldList();
        LONG rx = x - r.left - POPUP_MARGIN;
        LONG i = 1;
        for (; !isSentinel(list[i]); ++i) {
            if (list[i].right >= rx)
                break;
        }
        if (isSentinel(list[i]))
            i = i > 1 ? i - 1 : 0;
        panel.popupIndex = i;
    }
    closePopup();
}
