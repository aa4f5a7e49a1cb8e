// How far the looks' labels stand out from their keys, as WCAG 2 measures legibility.
#include "looks.h"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

// The sRGB channel, 0 to 255, as linear light, 0 to 1.
double linear(uint32_t channel)
{
    double c = (double)(channel & 0xFF) / 255;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(uint32_t rgb)
{
    return 0.2126 * linear(rgb >> 16) + 0.7152 * linear(rgb >> 8) + 0.0722 * linear(rgb);
}

} // namespace

uint32_t shownIn565(uint32_t rgb)
{
    uint32_t r = (rgb >> 19) & 0x1F, g = (rgb >> 10) & 0x3F, b = (rgb >> 3) & 0x1F;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

double contrastRatio(uint32_t a, uint32_t b)
{
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

LabelContrast labelContrast(const Look &look)
{
    double inkOnKey = contrastRatio(look.ink, look.key);
    double worst = std::min({inkOnKey, contrastRatio(look.ink, look.modifier), contrastRatio(look.litInk, look.lit),
                             contrastRatio(look.accent, look.modifier)});
    return {inkOnKey, worst};
}

} // namespace skin
