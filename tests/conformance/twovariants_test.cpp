// Conformance: the day and the night deliverable loaded side by side in one process, each with a
// host of its own, selected in turn: two panels that share nothing but the process's classes.
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

// Window classes belong to the process on the device (it finds them by name alone), so the two
// panels take turns, as the platform's host selects one input method at a time.
TEST_F(TwoVariants, EachTakesItsTurnWithAPanelOfItsOwnAndOutlivesTheOther)
{
    InputPanelHost dayHost;
    InputPanelHost nightHost;
    load(dayHost, day);
    load(nightHost, night);
    int mark = emuMark();
    const PanelKeys keys = {388};

    ASSERT_EQ(S_OK, dayHost.activate());
    keys.shift(dayHost);
    keys.shift(dayHost);
    keys.a(dayHost);
    keys.b(dayHost);
    EXPECT_EQ("AB", dayHost.text()) << "caps lock on the day panel";
    ASSERT_EQ(S_OK, dayHost.deactivate());

    ASSERT_EQ(S_OK, nightHost.activate()) << "the day panel gave its classes back";
    keys.a(nightHost);
    keys.shift(nightHost);
    keys.b(nightHost);
    keys.c(nightHost);
    EXPECT_EQ("aBc", nightHost.text()) << "the night panel starts in lower case, its shift one-shot";
    ASSERT_EQ(S_OK, nightHost.deactivate());
    EXPECT_EQ(S_OK, nightHost.unload()) << "the night module can go";

    ASSERT_EQ(S_OK, dayHost.activate());
    keys.c(dayHost);
    EXPECT_EQ("ABc", dayHost.text()) << "every Select starts in lower case";
    expectDeactivatedLeavingNothing(dayHost, mark, "after both panels were deselected");
}

TEST_F(TwoVariants, TheFirstSelectRuleRunsOncePerModule)
{
    emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, day.clsidText().c_str());
    InputPanelHost dayHost;
    InputPanelHost nightHost;
    load(dayHost, day);
    load(nightHost, night);

    // The night panel is selected first: its module's rule finds another panel named and leaves
    // the day module's rule still to run.
    ASSERT_EQ(S_OK, nightHost.activate());
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), nightHost.imInfo().fdwFlags);
    ASSERT_EQ(S_OK, nightHost.deactivate());
    ASSERT_EQ(S_OK, dayHost.activate());
    EXPECT_EQ(DWORD(SIPF_DOCKED), dayHost.imInfo().fdwFlags) << "the system names the day panel";
    ASSERT_EQ(S_OK, dayHost.deactivate());

    ASSERT_EQ(S_OK, dayHost.activate());
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), dayHost.imInfo().fdwFlags) << "once per load";
}
