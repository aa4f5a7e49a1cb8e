// Conformance: the day and the night deliverable loaded side by side in one process, each with a
// host of its own: two panels that share nothing.
#include <gtest/gtest.h>

#include "deliverables.h"

class TwoVariants : public ::testing::Test {
  protected:
    void SetUp() override { startFreshPlatform(); }
    void TearDown() override
    {
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << "violation: " << emuViolation(i);
    }

    static void load(InputPanelHost &host, const Deliverable &d)
    {
        ASSERT_EQ(S_OK, host.load(d.path, d.clsid())) << d.name << ": " << host.error();
    }
};

static const Deliverable &day = deliverables[0];
static const Deliverable &night = deliverables[1];

// Keys by row and centre x, on a panel whose top is at the given screen y.
struct PanelKeys {
    int top;
    void tap(InputPanelHost &host, int x, int row) const { host.tap(x, top + 31 + 63 * row); }
    void shift(InputPanelHost &host) const { tap(host, 36, 2); }
    void a(InputPanelHost &host) const { tap(host, 72, 1); }
    void b(InputPanelHost &host) const { tap(host, 288, 2); }
    void c(InputPanelHost &host) const { tap(host, 192, 2); }
};

TEST_F(TwoVariants, EachKeepsItsOwnModeTextAndWindowsAndOutlivesTheOther)
{
    InputPanelHost dayHost;
    InputPanelHost nightHost;
    load(dayHost, day);
    load(nightHost, night);
    int mark = emuMark();
    ASSERT_EQ(S_OK, dayHost.activate());
    ASSERT_EQ(S_OK, nightHost.activate()) << "the night panel's classes are its own module's";

    // Both dock at the bottom; the night host moves its window to the top so the pen reaches both.
    MoveWindow(nightHost.window(), 0, 0, 480, 252, FALSE);
    ASSERT_EQ(S_OK, nightHost.receiveSipInfo(RECT{0, 0, 480, 252}));
    const PanelKeys dayKeys = {388};
    const PanelKeys nightKeys = {0};

    // Caps lock on the day panel only; a one-shot shift on the night panel leaves the day's alone.
    dayKeys.shift(dayHost);
    dayKeys.shift(dayHost);
    dayKeys.a(dayHost);
    nightKeys.a(nightHost);
    nightKeys.shift(nightHost);
    nightKeys.b(nightHost);
    dayKeys.b(dayHost);
    nightKeys.c(nightHost);
    EXPECT_EQ("AB", dayHost.text());
    EXPECT_EQ("aBc", nightHost.text()) << "the one-shot shift fell back on the night panel alone";

    // The night panel goes; the day panel keeps its caps lock and its windows.
    ASSERT_EQ(S_OK, nightHost.deactivate());
    dayKeys.c(dayHost);
    nightKeys.a(nightHost);
    EXPECT_EQ("ABC", dayHost.text());
    EXPECT_EQ("aBc", nightHost.text()) << "nothing is left where the night panel was";

    // It comes back beside the day panel, in lower case as every Select leaves it.
    ASSERT_EQ(S_OK, nightHost.activate());
    MoveWindow(nightHost.window(), 0, 0, 480, 252, FALSE);
    ASSERT_EQ(S_OK, nightHost.receiveSipInfo(RECT{0, 0, 480, 252}));
    nightKeys.a(nightHost);
    EXPECT_EQ("aBca", nightHost.text());

    // Unloading the night module takes nothing from the day panel.
    ASSERT_EQ(S_OK, nightHost.deactivate());
    EXPECT_EQ(S_OK, nightHost.unload()) << "the night module can go";
    dayKeys.a(dayHost);
    EXPECT_EQ("ABCA", dayHost.text());
    expectDeactivatedLeavingNothing(dayHost, mark, "after both panels were deselected");
}

TEST_F(TwoVariants, TheFirstSelectRuleRunsOncePerModule)
{
    emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, day.clsidText);
    InputPanelHost dayHost;
    InputPanelHost nightHost;
    load(dayHost, day);
    load(nightHost, night);

    // The night panel is selected first: its module's rule finds another panel named and leaves
    // the day module's rule still to run.
    ASSERT_EQ(S_OK, nightHost.activate());
    ASSERT_EQ(S_OK, dayHost.activate());
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), nightHost.imInfo().fdwFlags);
    EXPECT_EQ(DWORD(SIPF_DOCKED), dayHost.imInfo().fdwFlags) << "the system names the day panel";
    ASSERT_EQ(S_OK, dayHost.deactivate());
    ASSERT_EQ(S_OK, nightHost.deactivate());

    ASSERT_EQ(S_OK, dayHost.activate());
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), dayHost.imInfo().fdwFlags) << "once per load";
}
