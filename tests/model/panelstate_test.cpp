// The panel's state as the module is loaded.
#include <gtest/gtest.h>

#include <cstring>

#include "model/panelstate.h"

namespace {

TEST(PanelStateAtLoad, IsThePanelsStateBeforeAnythingRuns)
{
    EXPECT_EQ(0, std::memcmp(&panelStateAtLoad, &panel, sizeof panel));
    EXPECT_EQ(0u, panel.imInfo.cbSize);
}

} // namespace
