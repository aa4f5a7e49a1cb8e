// Pictures reduced to a palette of their own, for palette image files (PNG, GIF, device bitmaps).
#ifndef KWENO_TOOLKIT_PALETTE_H
#define KWENO_TOOLKIT_PALETTE_H

#include <cstdint>
#include <vector>

#include "image.h"

struct Indexed {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette; // 0x00RRGGBB
    std::vector<uint8_t> indices;  // one per pixel, row-major, top row first
};

// At most maxColours entries. A picture with no more colours keeps them exactly, the most frequent
// first (ties by colour), so that the same picture always gives the same file; otherwise the
// colours that cover large areas (flat fills, the transparent colour) are kept exactly and the
// rest (anti-aliased edges) are clustered.
Indexed quantise(const Image &image, int maxColours);

Image expand(const Indexed &indexed);

// Mean distance per pixel between two pictures of one size, in RGB units (0 to 441).
double meanColourError(const Image &a, const Image &b);

#endif // KWENO_TOOLKIT_PALETTE_H
