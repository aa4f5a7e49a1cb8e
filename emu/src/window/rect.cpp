// Rectangles: the window manager's own helpers, and IntersectRect and SetRect.
#include "window/window.h"

#include <algorithm>

namespace emu {

bool rectEmpty(const RECT &r)
{
    return r.right <= r.left || r.bottom <= r.top;
}

RECT intersectRects(const RECT &a, const RECT &b)
{
    RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    return rectEmpty(r) ? RECT{} : r;
}

RECT unionRects(const RECT &a, const RECT &b)
{
    if (rectEmpty(a))
        return b;
    if (rectEmpty(b))
        return a;
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT offsetRect(const RECT &r, int dx, int dy)
{
    return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

} // namespace emu

using namespace emu;

extern "C" {

BOOL WINAPI IntersectRect(LPRECT lprcDst, const RECT *lprcSrc1, const RECT *lprcSrc2)
{
    failNow(__func__);
    if (!lprcDst || !lprcSrc1 || !lprcSrc2)
        return misuse(__func__, "null rectangle", FALSE);
    // The two are taken as they stand: no overlap when the greater left is not less than the
    // lesser right, or likewise vertically; an inverted rectangle thus never overlaps anything.
    RECT r = {std::max(lprcSrc1->left, lprcSrc2->left), std::max(lprcSrc1->top, lprcSrc2->top),
              std::min(lprcSrc1->right, lprcSrc2->right), std::min(lprcSrc1->bottom, lprcSrc2->bottom)};
    if (r.left >= r.right || r.top >= r.bottom) {
        *lprcDst = RECT{0, 0, 0, 0};
        return FALSE;
    }
    *lprcDst = r;
    return TRUE;
}

BOOL WINAPI SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom)
{
    failNow(__func__);
    if (!lprc)
        return misuse(__func__, "null rectangle", FALSE);
    *lprc = RECT{xLeft, yTop, xRight, yBottom};
    return TRUE;
}

} // extern "C"
