// The panel's state as the module is loaded.
#include <gtest/gtest.h>

#include <cstring>

#include "model/panelstate.h"

namespace {

TEST(PanelStateAtLoad, HoldsThePlatformDefaultsAndNothingElse)
{
    const PanelState &s = panelStateAtLoad;
    EXPECT_EQ(18, s.repeatSettings.repeatRate);
    EXPECT_EQ(512, s.repeatSettings.initialDelay);
    EXPECT_EQ((KeyboardMode)MODE_LOWER, s.mode);
    EXPECT_EQ(MODE_NONE, s.savedMode);
    EXPECT_EQ(1, s.portrait);
    EXPECT_EQ(1, s.firstSelect);

    // Every other variable starts at zero or null: compare against a zeroed copy with the five set.
    PanelState expected;
    std::memset(&expected, 0, sizeof expected);
    expected.repeatSettings.repeatRate = 18;
    expected.repeatSettings.initialDelay = 512;
    expected.savedMode = MODE_NONE;
    expected.portrait = 1;
    expected.firstSelect = 1;
    EXPECT_EQ(0, std::memcmp(&expected, &s, sizeof s)) << "a variable other than the five starts non-zero";
}

TEST(PanelStateAtLoad, IsThePanelsStateBeforeAnythingRuns)
{
    EXPECT_EQ(0, std::memcmp(&panelStateAtLoad, &panel, sizeof panel));
    EXPECT_EQ(0u, panel.imInfo.cbSize);
}

} // namespace
