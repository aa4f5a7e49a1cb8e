// The day deliverable's picture choices, read from the panel's variant header.
#include "surface/variant.h"

namespace skin {
LONG dayNormalOffset()
{
    return NORMAL_IMAGE_OFFSET;
}
UINT dayIconId()
{
    return PANEL_ICON_ID;
}
} // namespace skin
