// Key emission: the host calls of taps and repeats, the bounce test and the backspace control bit.
#include <gtest/gtest.h>

#include "emu.h"
#include "input/input.h"
#include "model/panelstate.h"
#include "support/expectcalls.h"

namespace {

class Emission : public ::testing::Test {
  protected:
    void SetUp() override
    {
        emuReset();
        panel = panelStateAtLoad;
        panel.hostCallback = &host;
        emuSetTickCount(1000);
    }
    void TearDown() override { panel = panelStateAtLoad; }

    void at(DWORD tick) { emuSetTickCount(tick); }
    void expectCalls(const std::vector<ExpectedCall> &expected)
    {
        EXPECT_TRUE(callsAre(host.calls(), expected));
        host.clearCalls();
    }
    // Holds a repeat key and sends n repeats, as the timers would.
    void repeat(KeyRecord *key, int n)
    {
        panel.heldKey = key;
        panel.repeatCount = 0;
        for (int i = 0; i < n; ++i)
            sendRepeatKeyDown();
    }

    HostCallback host;
};

KeyRecord &lowerA()
{
    return lowerPortrait[1][1];
}
KeyRecord &upperA()
{
    return upperPortrait[1][1];
}
KeyRecord &tabKey()
{
    return lowerPortrait[1][0];
}
KeyRecord &backspace()
{
    return lowerPortrait[2][8];
}
KeyRecord &space()
{
    return lowerPortrait[3][2];
}
KeyRecord &degree()
{
    return symbolsPortrait[2][1];
}
KeyRecord &half()
{
    return symbolsPortrait[2][4];
}

TEST_F(Emission, TapsOfEachKindOfKey)
{
    static const std::vector<ExpectedCall> plainA = {charEvent(0x41, 0x80, 'a'), charEvent(0x41, 0x10040, 'a')};
    EXPECT_EQ(S_OK, sendKeyTap(&lowerA()));
    expectCalls(plainA);

    static const std::vector<ExpectedCall> shiftedA = {charEvent(0x41, 0x20000080, 'A'),
                                                       charEvent(0x41, 0x20010040, 'A')};
    at(2000);
    sendKeyTap(&upperA());
    expectCalls(shiftedA);

    static const std::vector<ExpectedCall> tab = {virtualKey(0x09, 4), virtualKey(0x09, 6)};
    at(3000);
    sendKeyTap(&tabKey());
    expectCalls(tab);

    // Keys without a virtual-key code still type their character.
    static const std::vector<ExpectedCall> degreeAndHalf = {charEvent(0, 0x80, 0xB0), charEvent(0, 0x10040, 0xB0),
                                                            charEvent(0, 0x80, 0xBD), charEvent(0, 0x10040, 0xBD)};
    at(4000);
    sendKeyTap(&degree());
    sendKeyTap(&half());
    expectCalls(degreeAndHalf);

    EXPECT_TRUE(host.callsOf(HostCall::SEND_STRING).empty());
}

TEST_F(Emission, TheCharacterGoesOutByTheAddressOfTheRecord)
{
    struct AddressCheck : HostCallback {
        const UINT *seen = nullptr;
        HRESULT STDMETHODCALLTYPE SendCharEvents(UINT vk, UINT f, UINT n, UINT *shift, UINT *chars) override
        {
            seen = chars;
            EXPECT_EQ(f, *shift) << "the shift array is the key-state word";
            return HostCallback::SendCharEvents(vk, f, n, shift, chars);
        }
    } check;
    panel.hostCallback = &check;
    sendKeyTap(&lowerA());
    EXPECT_EQ(&lowerA().character, check.seen);
}

TEST_F(Emission, BouncesOfOneKeyAreDroppedAndRestartTheWindow)
{
    static const std::vector<ExpectedCall> oneA = {charEvent(0x41, 0x80, 'a'), charEvent(0x41, 0x10040, 'a')};

    at(1000);
    sendKeyTap(&lowerA());
    at(1074);
    EXPECT_EQ(0, sendKeyTap(&lowerA())) << "74 ms after the last attempt";
    expectCalls(oneA);
    at(1149);
    EXPECT_EQ(S_OK, sendKeyTap(&lowerA())) << "75 ms after the dropped attempt";
    expectCalls(oneA);

    // Three taps 50 ms apart: each dropped tap restarts the window.
    at(5000);
    sendKeyTap(&lowerA());
    at(5050);
    sendKeyTap(&lowerA());
    at(5100);
    sendKeyTap(&lowerA());
    expectCalls(oneA);

    // Two different keys 10 ms apart are both sent.
    at(9000);
    sendKeyTap(&lowerA());
    at(9010);
    sendKeyTap(&upperA());
    EXPECT_EQ(4u, host.calls().size());
    host.clearCalls();

    // The test applies to virtual keys too.
    at(12000);
    sendKeyTap(&tabKey());
    at(12030);
    EXPECT_EQ(0, sendKeyTap(&tabKey()));
    EXPECT_EQ(2u, host.calls().size());
}

TEST_F(Emission, ATickCountWrappingBetweenTapsDropsOnlyTrueBounces)
{
    at(0xFFFFFFF0u);
    sendKeyTap(&lowerA());
    at(0x00000050u); // 96 ms later, after the wrap
    EXPECT_EQ(S_OK, sendKeyTap(&lowerA()));
    host.clearCalls();
    at(0xFFFFFFE0u);
    sendKeyTap(&upperA());
    at(0x00000010u); // 48 ms later across the wrap: a bounce
    EXPECT_EQ(0, sendKeyTap(&upperA()));
    EXPECT_EQ(2u, host.calls().size());
}

TEST_F(Emission, AHostFailureOnTheKeyDownStopsTheTapAndCountsForTheBounce)
{
    host.failCall(1, E_FAIL);
    EXPECT_EQ(E_FAIL, sendKeyTap(&lowerA()));
    static const std::vector<ExpectedCall> downOnly = {charEvent(0x41, 0x80, 'a')};
    expectCalls(downOnly);
    at(1050);
    EXPECT_EQ(0, sendKeyTap(&lowerA())) << "a retry within 75 ms is a bounce";
    expectCalls({});

    host.failCall(1, E_FAIL);
    at(3000);
    EXPECT_EQ(E_FAIL, sendKeyTap(&tabKey()));
    expectCalls({virtualKey(0x09, 4)});
}

TEST_F(Emission, ANullKeyIsMinusOneAndSendsNothing)
{
    EXPECT_EQ(-1, sendKeyTap(nullptr));
    EXPECT_TRUE(host.calls().empty());
}

TEST_F(Emission, WithoutACallbackAKeyIsRefusedAndNothingCrashes)
{
    panel.hostCallback = nullptr;
    EXPECT_LT(sendKeyTap(&lowerA()), 0);
    EXPECT_EQ(&lowerA(), panel.lastTapKey);
    repeat(&backspace(), 3);
    EXPECT_EQ(3u, panel.repeatCount);
    sendRepeatKeyUp();
}

TEST_F(Emission, BackspaceHeldDeletesWordsFromTheTwentyFirstRepeat)
{
    repeat(&backspace(), 30);
    sendRepeatKeyUp();
    // Twenty plain repeats, ten with the control bit, and a key-up without it.
    std::vector<ExpectedCall> backspaceHeld30(20, charEvent(0x08, 0x80, 0x08));
    backspaceHeld30.insert(backspaceHeld30.end(), 10, charEvent(0x08, 0x40000080, 0x08));
    backspaceHeld30.push_back(charEvent(0x08, 0x10040, 0x08));
    EXPECT_TRUE(callsAre(host.calls(), backspaceHeld30));
    EXPECT_EQ(20u, panel.repeatCount);
}

TEST_F(Emission, SpaceHeldNeverCarriesTheControlBit)
{
    repeat(&space(), 30);
    const std::vector<ExpectedCall> spaceHeld30(30, charEvent(0x20, 0x80, ' '));
    EXPECT_TRUE(callsAre(host.calls(), spaceHeld30));
}

TEST_F(Emission, RepeatsIgnoreKeysThatDoNotRepeatAndHostFailures)
{
    repeat(&lowerA(), 3);
    sendRepeatKeyUp();
    EXPECT_TRUE(host.calls().empty());
    EXPECT_EQ(0u, panel.repeatCount);

    host.failCall(1, E_FAIL, 5);
    repeat(&backspace(), 5);
    EXPECT_EQ(5u, panel.repeatCount) << "the count rises even when the host fails";

    panel.heldKey = nullptr;
    sendRepeatKeyDown();
    sendRepeatKeyUp();
    EXPECT_EQ(5u, host.calls().size());
}

TEST_F(Emission, RepeatsLeaveTheBounceStateAlone)
{
    sendKeyTap(&backspace());
    DWORD time = panel.lastTapTime;
    at(1010);
    repeat(&backspace(), 2);
    sendRepeatKeyUp();
    EXPECT_EQ(time, panel.lastTapTime);
    EXPECT_EQ(&backspace(), panel.lastTapKey);
}

} // namespace
