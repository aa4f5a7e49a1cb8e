// The night deliverable's picture choices, read from the panel's variant header.
#define KWENO_NIGHT
#include "surface/variant.h"

namespace skin {
LONG nightNormalOffset()
{
    return NORMAL_IMAGE_OFFSET;
}
UINT nightIconId()
{
    return PANEL_ICON_ID;
}
} // namespace skin
