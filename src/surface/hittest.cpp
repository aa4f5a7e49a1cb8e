// Finding the key under a pen position: a walk over four row bounds and at most ten keys.
#include "surface.h"

#include "../model/panelstate.h"
#include "hittest.h"

bool insideRows(LONG y)
{
    return y >= 0 && y < (*panel.currentRowBounds)[ROW_COUNT];
}

KeyRecord *hitTest(RECT *rect)
{
    return hitTestLayout(*panel.currentLayout, *panel.currentRowBounds, rect);
}
