// Finding the key under a pen position: a walk over four row bounds and at most ten keys.
#include "surface.h"

#include "../model/panelstate.h"

bool insideRows(LONG y)
{
    return y >= 0 && y < (*panel.currentRowBounds)[ROW_COUNT];
}

KeyRecord *hitTest(RECT *rect)
{
    const RowBounds &bounds = *panel.currentRowBounds;
    LONG x = rect->left;
    LONG y = rect->top;

    int row = 0;
    while (row < ROW_COUNT - 1 && y > bounds[row + 1] - 1)
        ++row;

    KeyRow &keys = (*panel.currentLayout)[row];
    KeyRecord *candidate = 0;
    for (KeyRecord *key = keys; !isSentinel(*key) && key->left <= x; ++key)
        candidate = key;

    if (!candidate || x > candidate->right)
        return 0;

    rect->left = candidate->left;
    rect->top = bounds[row];
    rect->right = candidate->right;
    rect->bottom = bounds[row + 1] - 1;
    return candidate;
}
