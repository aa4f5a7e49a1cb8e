// Conformance: the panel's lifecycle through IInputMethod on both deliverables: what Select makes,
// what GetInfo and ReceiveSipInfo exchange, rotation, and that Deselect gives everything back.
#include <cstring>

#include <gtest/gtest.h>

#include "../support/expectcalls.h"
#include "../support/rects.h"
#include "deliverables.h"

using Lifecycle = DeliverableTest;

TEST_P(Lifecycle, DeselectGivesBackEverythingThePanelMade)
{
    InputPanelHost host;
    load(host);
    int mark = emuMark();
    ASSERT_EQ(S_OK, host.activate());
    // Typing loads the faces, the magnifier's buffer and switches modes, so there is more to free.
    host.tap(24, 419);
    host.tap(36, 545);
    host.tap(72, 419);
    EXPECT_EQ("qW", host.text());
    EXPECT_EQ(S_OK, host.deactivate());
    EXPECT_EQ(0, emuCheckNoneAliveSince(mark, PANEL_OBJECT_KINDS, "after Deselect"));
    for (const MethodResult &r : host.results())
        EXPECT_EQ(S_OK, r.result) << r.method;
}

TEST_P(Lifecycle, GetInfoCopiesTheWholeRecordAndAnnouncesItOnlyToARegisteredCallback)
{
    InputPanelHost host;
    load(host);
    IInputMethod *im = host.inputMethod();
    ASSERT_EQ(S_OK, host.select());

    IMINFO info;
    memset(&info, 0xEF, sizeof info);
    EXPECT_EQ(S_OK, im->GetInfo(&info));
    EXPECT_EQ(0u, info.cbSize) << "the panel's own cbSize comes along";
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), info.fdwFlags);
    EXPECT_EQ("{0, 388, 480, 640}", rectText(info.rcSipRect));
    EXPECT_NE(nullptr, info.hImageNarrow) << "the panel icon's image list";
    EXPECT_EQ(nullptr, info.hImageWide);
    EXPECT_EQ(0, info.iNarrow);
    EXPECT_EQ(0, info.iWide);
    EXPECT_TRUE(host.calls().empty()) << "no SetImInfo before RegisterCallback";

    ASSERT_EQ(S_OK, host.registerCallback());
    EXPECT_EQ(S_OK, im->GetInfo(&info));
    static const ExpectedCall onAndDocked[] = {{HostCall::SET_IM_INFO, 0, SIPF_ON | SIPF_DOCKED, 0, u""}};
    EXPECT_TRUE(callsAre(host.calls(), onAndDocked));
    EXPECT_EQ(S_OK, host.deselect());
}

TEST_P(Lifecycle, TheFirstSelectOfALoadIsDockedButNotOnWhenTheSystemNamesThisPanel)
{
    emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, GetParam().clsidText().c_str());
    InputPanelHost host;
    load(host);
    ASSERT_EQ(S_OK, host.activate());
    EXPECT_EQ(DWORD(SIPF_DOCKED), host.imInfo().fdwFlags);
    EXPECT_FALSE(host.shown()) << "a panel that is not on stays hidden";
    ASSERT_EQ(S_OK, host.deactivate());

    ASSERT_EQ(S_OK, host.activate());
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), host.imInfo().fdwFlags) << "the rule holds once per load";
    ASSERT_EQ(S_OK, host.deactivate());
}

TEST_P(Lifecycle, AnotherPanelNamedAsDefaultLeavesThePanelOn)
{
    for (const Deliverable &other : deliverables) {
        if (strcmp(other.name, GetParam().name) != 0)
            emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, other.clsidText().c_str());
    }
    InputPanelHost host;
    load(host);
    ASSERT_EQ(S_OK, host.activate());
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), host.imInfo().fdwFlags);
    EXPECT_TRUE(host.shown());
}

TEST_P(Lifecycle, SelectFailsWhileSelectedAndDeselectMayRepeat)
{
    InputPanelHost host;
    load(host);
    EXPECT_EQ(S_OK, host.select());
    EXPECT_EQ(E_FAIL, host.select()) << "the keyboard class is still registered";
    EXPECT_EQ(S_OK, host.deselect());
    EXPECT_EQ(S_OK, host.deselect()) << "a second Deselect has nothing to free";
    EXPECT_EQ(S_OK, host.select());
    EXPECT_EQ(S_OK, host.deselect());

    IInputMethod *im = host.inputMethod();
    BYTE data[4] = {1, 2, 3, 4};
    EXPECT_EQ(E_NOTIMPL, im->GetImData(sizeof data, data));
    EXPECT_EQ(E_NOTIMPL, im->SetImData(sizeof data, data));
    EXPECT_EQ(E_NOTIMPL, im->UserOptionsDlg(host.window()));
}

TEST_P(Lifecycle, AMissingResourceModuleFailsSelectUntilItIsThere)
{
    emuReset(); // no \Windows mapped
    InputPanelHost host;
    load(host);
    EXPECT_EQ(E_FAIL, host.select());
    EXPECT_EQ(S_OK, host.deselect());
    emuMapFolder("\\Windows", KWENO_SKIN_DIR);
    EXPECT_EQ(S_OK, host.activate());
}

TEST_P(Lifecycle, RotationRedocksThePanelInLandscapeAndBack)
{
    InputPanelHost host;
    load(host);
    ASSERT_EQ(S_OK, host.activate());
    host.callback().clearCalls();

    host.rotate(640, 480);
    EXPECT_EQ("{0, 264, 640, 480}", rectText(host.windowRect()));
    static const ExpectedCall dockedNotOn[] = {{HostCall::SET_IM_INFO, 0, SIPF_DOCKED, 0, u""}};
    ASSERT_TRUE(callsAre(host.calls(), dockedNotOn));
    EXPECT_EQ("{0, 264, 640, 480}", rectText(host.calls()[0].rect));

    host.callback().clearCalls();
    host.tap(32, 264 + 27);  // q in the landscape layout
    host.tap(600, 264 + 27); // p at the right end
    EXPECT_EQ("qp", host.text());

    host.rotate(480, 640);
    EXPECT_EQ("{0, 388, 480, 640}", rectText(host.windowRect()));
    host.tap(456, 419);
    EXPECT_EQ("qpp", host.text()) << "the portrait layout is back";
}

INSTANTIATE_TEST_SUITE_P(Deliverables, Lifecycle, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
