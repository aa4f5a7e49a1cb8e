// The day deliverable's picture choices, read from the panel's variant header.
#include "server/variant.h"

namespace skin {
LONG dayNormalOffset()
{
    return KWENO_NORMAL_IMAGE_OFFSET;
}
UINT dayIconId()
{
    return KWENO_PANEL_ICON_ID;
}
} // namespace skin
