// The night deliverable's picture choices, read from the panel's variant header.
#define KWENO_NIGHT
#include "server/variant.h"

namespace skin {
LONG nightNormalOffset()
{
    return KWENO_NORMAL_IMAGE_OFFSET;
}
UINT nightIconId()
{
    return KWENO_PANEL_ICON_ID;
}
} // namespace skin
