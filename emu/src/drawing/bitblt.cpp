// Block copies between DCs: BitBlt and StretchBlt with source copy, clipped, counted per kind.
#include "drawing/drawing.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace emu {
namespace {

long long pixelsCopied[2];

// One axis of a copy, in the pixel arrays' coordinates: destination index i (0 <= i < count)
// lands on dst + i * dstStep and reads src + sourceIndex(i) * srcStep.
struct Axis {
    long long count = 0; // destination pixels along the axis
    long long dst = 0;   // array coordinate of destination index 0
    int dstStep = 1;     // +1, or -1 for a mirrored extent
    long long srcCount = 0;
    long long src = 0;
    int srcStep = 1;
};

// Nearest-neighbour sampling with exact integer rounding: destination pixel i covers the source
// span [i * s / d, (i + 1) * s / d); it takes the source pixel under the centre of that span,
// floor((2i + 1) * s / (2d)). Enlarging repeats pixels and shrinking drops them, evenly and the
// same way in both directions; a 1:1 copy maps i to i.
long long sourceIndex(const Axis &a, long long i)
{
    if (a.srcCount == a.count)
        return i;
    return (2 * i + 1) * a.srcCount / (2 * a.count);
}

// The range of destination indices whose pixel lies inside an array of the given size.
void clipDestination(const Axis &a, long long size, long long *first, long long *last)
{
    long long lo, hi; // in index space, inclusive
    if (a.dstStep > 0) {
        lo = -a.dst;
        hi = size - 1 - a.dst;
    } else {
        lo = a.dst - (size - 1);
        hi = a.dst;
    }
    *first = std::max(lo, 0LL);
    *last = std::min(hi, a.count - 1);
}

// A negative extent runs from the origin towards smaller coordinates, the origin pixel included.
Axis axisOf(int dstOrigin, int dstExtent, int srcOrigin, int srcExtent)
{
    Axis a;
    a.count = std::llabs((long long)dstExtent);
    a.dst = dstOrigin;
    a.dstStep = dstExtent < 0 ? -1 : 1;
    a.srcCount = std::llabs((long long)srcExtent);
    a.src = srcOrigin;
    a.srcStep = srcExtent < 0 ? -1 : 1;
    return a;
}

bool readable(const Target &t, long long x, long long y)
{
    if (x < 0 || y < 0 || x >= t.width || y >= t.height)
        return false;
    return t.owns((int)x, (int)y);
}

// Copies along the two axes; returns the destination pixels written. The source pixels are read
// before any is written, so source and destination may be the same DC and overlap.
long long copyPixels(const Target &dst, const Target &src, Axis ax, Axis ay)
{
    ax.dst += dst.originX;
    ay.dst += dst.originY;
    ax.src += src.originX;
    ay.src += src.originY;

    long long x0, x1, y0, y1;
    clipDestination(ax, dst.width, &x0, &x1);
    clipDestination(ay, dst.height, &y0, &y1);
    if (x0 > x1 || y0 > y1)
        return 0;

    // Source column and row for each surviving destination column and row; -1 where the
    // sample falls outside the source array, which leaves that destination pixel untouched.
    std::vector<long long> columns, rows;
    for (long long i = x0; i <= x1; ++i) {
        long long s = ax.src + sourceIndex(ax, i) * ax.srcStep;
        columns.push_back(s >= 0 && s < src.width ? s : -1);
    }
    for (long long i = y0; i <= y1; ++i) {
        long long s = ay.src + sourceIndex(ay, i) * ay.srcStep;
        rows.push_back(s >= 0 && s < src.height ? s : -1);
    }

    const uint32_t noPixel = 0xFF000000; // pixels are 24-bit, so this marks "nothing to copy"
    std::vector<uint32_t> block(columns.size() * rows.size(), noPixel);
    for (size_t r = 0; r < rows.size(); ++r) {
        if (rows[r] < 0)
            continue;
        for (size_t c = 0; c < columns.size(); ++c)
            if (columns[c] >= 0 && readable(src, columns[c], rows[r]))
                block[r * columns.size() + c] = src.pixels[rows[r] * src.width + columns[c]];
    }

    long long written = 0;
    for (size_t r = 0; r < rows.size(); ++r) {
        long long y = ay.dst + (y0 + (long long)r) * ay.dstStep;
        for (size_t c = 0; c < columns.size(); ++c) {
            uint32_t value = block[r * columns.size() + c];
            if (value == noPixel)
                continue;
            long long x = ax.dst + (x0 + (long long)c) * ax.dstStep;
            if (!dst.owns((int)x, (int)y))
                continue;
            dst.pixels[y * dst.width + x] = storedPixel(dst.format, value);
            ++written;
        }
    }
    return written;
}

// Nothing is drawn into a bitmap the device keeps in the module's read-only image.
bool writable(const Target &t, const char *api)
{
    if (!t.readOnly)
        return true;
    violation(api, "the destination holds a read-only resource bitmap (LoadBitmapW), which can be copied "
                   "from but not drawn into");
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

bool sourceCopyOnly(DWORD rop, const char *api)
{
    if (rop == SRCCOPY)
        return true;
    char what[80];
    snprintf(what, sizeof what, "raster operation 0x%08X is not emulated; only SRCCOPY is", (unsigned)rop);
    violation(api, what);
    return false;
}

} // namespace
} // namespace emu

using namespace emu;

extern "C" {

BOOL WINAPI BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop)
{
    Target dst, src;
    if (failNow(__func__) || !targetOf(hdc, __func__, &dst) || !sourceCopyOnly(rop, __func__) ||
        !targetOf(hdcSrc, __func__, &src) || !writable(dst, __func__))
        return FALSE;
    // An empty or negative block copies nothing and is no error.
    if (cx <= 0 || cy <= 0)
        return TRUE;
    pixelsCopied[EMU_BITBLT] += copyPixels(dst, src, axisOf(x, cx, x1, cx), axisOf(y, cy, y1, cy));
    return TRUE;
}

BOOL WINAPI StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                       int wSrc, int hSrc, DWORD rop)
{
    Target dst, src;
    if (failNow(__func__) || !targetOf(hdcDest, __func__, &dst) || !sourceCopyOnly(rop, __func__) ||
        !targetOf(hdcSrc, __func__, &src) || !writable(dst, __func__))
        return FALSE;
    // The device does not mirror: extents of opposite signs on an axis are refused.
    if (((long long)wDest * wSrc < 0) || ((long long)hDest * hSrc < 0)) {
        violation(__func__, "extents of opposite signs would mirror the picture, which the device does not do");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (wDest == 0 || hDest == 0 || wSrc == 0 || hSrc == 0)
        return TRUE;
    pixelsCopied[EMU_STRETCHBLT] +=
        copyPixels(dst, src, axisOf(xDest, wDest, xSrc, wSrc), axisOf(yDest, hDest, ySrc, hSrc));
    return TRUE;
}

long long emuPixelsCopied(int blitKind)
{
    if (blitKind != EMU_BITBLT && blitKind != EMU_STRETCHBLT)
        return 0;
    return pixelsCopied[blitKind];
}

void emuClearPixelCounts(void)
{
    pixelsCopied[EMU_BITBLT] = 0;
    pixelsCopied[EMU_STRETCHBLT] = 0;
}

} // extern "C"
