// FreeType rendering of key and popup labels.
#include "font.h"

#include <algorithm>
#include <cmath>

namespace skin {

// The ink of a rendered text: a coverage mask (0 to 255) cropped to the pixels that carry ink.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;
    int ascent = 0; // rows of ink above the baseline (the baseline lies under row ascent - 1)
};

// The text at a pixel size (em height), anti-aliased.
static Ink render(const Font &font, const std::u32string &text, int pixelSize)
{
    Ink ink;
    // Lay the glyphs on a scratch mask large enough for any label, baseline in the middle.
    int scratchW = pixelSize * 2 * ((int)text.size() + 1), scratchH = pixelSize * 3;
    std::vector<uint8_t> scratch((size_t)scratchW * scratchH, 0);
    int penX = pixelSize / 2, baseline = pixelSize * 2;
    for (char32_t c : text) {
        // Light hinting keeps the letters' shapes, which large labels show.
        Glyph glyph = font.glyph(c, pixelSize, HINT_LIGHT);
        int ox = penX + glyph.left, oy = baseline - glyph.top;
        for (int row = 0; row < glyph.rows; ++row) {
            for (int col = 0; col < glyph.width; ++col) {
                int x = ox + col, y = oy + row;
                if (x < 0 || y < 0 || x >= scratchW || y >= scratchH)
                    continue;
                uint8_t &cell = scratch[(size_t)y * scratchW + x];
                cell = std::max(cell, glyph.coverage[(size_t)row * glyph.width + col]);
            }
        }
        penX += glyph.advance;
    }
    int x0 = scratchW, y0 = scratchH, x1 = -1, y1 = -1;
    for (int y = 0; y < scratchH; ++y) {
        for (int x = 0; x < scratchW; ++x) {
            if (scratch[(size_t)y * scratchW + x]) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
        }
    }
    if (x1 < 0)
        return ink;
    ink.width = x1 - x0 + 1;
    ink.height = y1 - y0 + 1;
    ink.ascent = baseline - y0;
    ink.coverage.resize((size_t)ink.width * ink.height);
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x)
            ink.coverage[(size_t)y * ink.width + x] = scratch[(size_t)(y + y0) * scratchW + x + x0];
    }
    return ink;
}

std::vector<uint32_t> missingGlyphs(const Font &font, const std::vector<uint32_t> &characters)
{
    std::vector<uint32_t> missing;
    for (uint32_t c : characters) {
        if (!font.hasGlyph(c) && std::find(missing.begin(), missing.end(), c) == missing.end())
            missing.push_back(c);
    }
    return missing;
}

void drawLabel(Image &image, const Font &font, const std::u32string &text, const Box &box, int pixelSize,
               uint32_t colour, LabelPlacement placement)
{
    Ink ink;
    int size = pixelSize;
    for (; size >= 6; --size) {
        ink = render(font, text, size);
        if (ink.width <= box.width() && ink.height <= box.height())
            break;
    }
    if (ink.width == 0)
        return;
    // Whole-pixel placement keeps the hinted glyph edges sharp.
    int left = (int)std::lround(box.centreX() - ink.width / 2.0);
    int top = (int)std::lround(box.centreY() - ink.height / 2.0);
    if (placement == PLACE_BASELINE) {
        int capHeight = render(font, U"H", size).ascent;
        int baseline = (int)std::lround(box.centreY() + capHeight / 2.0);
        top = baseline - ink.ascent;
        // A tall accent or a deep descender may not leave the box.
        top = std::min(top, (int)std::floor(box.bottom) - ink.height);
        top = std::max(top, (int)std::ceil(box.top));
    }
    for (int y = 0; y < ink.height; ++y) {
        for (int x = 0; x < ink.width; ++x)
            blendPixel(image, left + x, top + y, colour, ink.coverage[(size_t)y * ink.width + x] / 255.0);
    }
}

} // namespace skin
