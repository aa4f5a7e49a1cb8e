// The panel icon: a small keyboard with hard edges, so that no pixel blends into the transparent colour,
// in colours of the system's 16-colour palette, all that the panel's 4-bit image list keeps.
#include "pictures.h"

namespace skin {

Image drawIcon(Variant variant)
{
    // Night keys glow a dim amber (the palette's olive), the colour that spares eyes used to the dark.
    uint32_t body = variant == VARIANT_NIGHT ? 0x000000 : 0x808080;
    uint32_t keys = variant == VARIANT_NIGHT ? 0x808000 : 0xFFFFFF;
    Image icon(ICON_SIZE, ICON_SIZE, ICON_TRANSPARENT);
    fillPixels(icon, 1, 7, 31, 25, body);
    for (int i = 0; i < 7; ++i)
        fillPixels(icon, 3 + 4 * i, 9, 6 + 4 * i, 12, keys);
    for (int i = 0; i < 6; ++i)
        fillPixels(icon, 5 + 4 * i, 13, 8 + 4 * i, 16, keys);
    fillPixels(icon, 3, 17, 7, 20, keys);
    fillPixels(icon, 9, 17, 23, 20, keys);
    fillPixels(icon, 25, 17, 29, 20, keys);
    // The keyboard sits on a shadow line that reads as its front edge.
    fillPixels(icon, 2, 25, 30, 26, variant == VARIANT_NIGHT ? 0x800000 : 0x000000);
    return icon;
}

} // namespace skin
