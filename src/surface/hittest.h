// The hit test's walk over one layout, apart from the panel's state: the panel runs it on the layout
// it shows, and the tools that drive the panel from outside find keys with the very same walk.
#ifndef KWENO_HITTEST_H
#define KWENO_HITTEST_H

#include "../model/keyboard.h"

// The key of the layout under the point (rect->left, rect->top), whose y lies on the rows, or null.
// A hit rewrites rect as the key's inclusive rectangle; a miss leaves it untouched.
inline KeyRecord *hitTestLayout(KeyboardLayout &layout, const RowBounds &bounds, RECT *rect)
{
    LONG x = rect->left;
    LONG y = rect->top;

    int row = 0;
    while (row < ROW_COUNT - 1 && y > bounds[row + 1] - 1)
        ++row;

    KeyRow &keys = layout[row];
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

#endif // KWENO_HITTEST_H
