// Auto-repeat through the keyboard window's timers: when each repeat of a held backspace goes out,
// with the registry's repeat settings, with their defaults, and with values at their edges.
#include "penfixture.h"

using namespace testsupport;

namespace {

const char *const KEYBD = "ControlPanel\\Keybd";
const int ROW_BACKSPACE = 2, SLOT_BACKSPACE = 8;

// Records the virtual time of every key-down the host receives.
struct TimedCallback : HostCallback {
    std::vector<DWORD> downTimes;
    HRESULT STDMETHODCALLTYPE SendCharEvents(UINT vk, UINT flags, UINT n, UINT *shift, UINT *chars) override
    {
        if (flags & KeyStateDownFlag)
            downTimes.push_back(GetTickCount());
        return HostCallback::SendCharEvents(vk, flags, n, shift, chars);
    }
};

Calls repeats(int count, unsigned word)
{
    return Calls(count, charEvent(0x08, word, 0x08));
}

// The first repeat at the hold, the second after the initial delay, then one every interval.
std::vector<DWORD> schedule(DWORD delay, DWORD interval, int count)
{
    std::vector<DWORD> times;
    for (int i = 0; i < count; ++i)
        times.push_back(i == 0 ? 500 : 500 + delay + (i - 1) * interval);
    return times;
}

class Repeat : public PenTest {
  protected:
    void SetUp() override
    {
        PenTest::SetUp();
        inputMethod->RegisterCallback(&timed);
    }
    // Holds backspace for the given time and lifts it off the rows; returns the repeats' times
    // from the pen-down.
    std::vector<DWORD> holdBackspace(DWORD ms)
    {
        timed.downTimes.clear();
        DWORD start = GetTickCount();
        downOn(ROW_BACKSPACE, SLOT_BACKSPACE);
        advance(ms);
        penUp(keyX(ROW_BACKSPACE, SLOT_BACKSPACE), -20);
        std::vector<DWORD> times;
        for (DWORD t : timed.downTimes)
            times.push_back(t - start);
        advance(100);
        return times;
    }
    TimedCallback timed;
};

// Holding, timer 1 of a KEY_REPEAT key: the first repeat, timer 2. Repeating, timer 2: a repeat,
// timer 3. Repeating, timer 3: a repeat. Repeating, pen-up inside the rows: the key-up, the tap.
TEST_F(Repeat, BackspaceHeldForTwentyFiveRepeatsWithTheDefaults)
{
    static const Calls backspaceHeld25 =
        repeats(20, 0x80) + repeats(5, 0x40000080) + Calls{charEvent(0x08, 0x10040, 0x08)} + typed(0x08, 0x08);
    DWORD start = GetTickCount();
    downOn(ROW_BACKSPACE, SLOT_BACKSPACE);
    advance(499);
    EXPECT_TRUE(timed.calls().empty()) << "nothing before the hold";
    advance(1);
    EXPECT_EQ(1u, timed.calls().size());
    EXPECT_EQ((UINT_PTR)TIMER_INITIAL_DELAY, panel.timerId);
    advance(512);
    EXPECT_EQ((UINT_PTR)TIMER_REPEAT, panel.timerId);
    advance(23 * 55);
    upOn(ROW_BACKSPACE, SLOT_BACKSPACE);
    EXPECT_TRUE(callsAre(timed.keyCalls(), backspaceHeld25));
    std::vector<DWORD> times;
    for (size_t i = 0; i < 25 && i < timed.downTimes.size(); ++i)
        times.push_back(timed.downTimes[i] - start);
    EXPECT_EQ(schedule(512, 55, 25), times);
}

TEST_F(Repeat, TheRegistrysDelayAndRateAreUsed)
{
    emuRegSetDword(KEYBD, "InitialDelay", 300);
    emuRegSetDword(KEYBD, "RepeatRate", 10);
    EXPECT_EQ(schedule(300, 100, 5), holdBackspace(1150));
}

// A rate of 0 means the default 18; a delay of 0 is a 0 ms timer, which fires after the platform's
// minimum of 10 ms, as does an interval below it.
TEST_F(Repeat, RateZeroDelayZeroAndIntervalsBelowTheTimerMinimum)
{
    emuRegSetDword(KEYBD, "InitialDelay", 0);
    emuRegSetDword(KEYBD, "RepeatRate", 0);
    EXPECT_EQ(schedule(10, 55, 4), holdBackspace(650));

    emuRegSetDword(KEYBD, "InitialDelay", 100);
    emuRegSetDword(KEYBD, "RepeatRate", 250); // 4 ms
    EXPECT_EQ(schedule(100, 10, 4), holdBackspace(625));
}

// Values are read when a hold starts repeating, not before, and hold for the whole of that hold;
// every read starts from the defaults.
TEST_F(Repeat, SettingsAreReadAfreshAtEachHold)
{
    emuRegSetDword(KEYBD, "InitialDelay", 300);
    emuRegSetDword(KEYBD, "RepeatRate", 10);
    int opens = emuCallCount("RegOpenKeyExW");
    downOn(ROW_BACKSPACE, SLOT_BACKSPACE);
    EXPECT_EQ(opens, emuCallCount("RegOpenKeyExW")) << "not read at the pen-down";
    advance(500);
    EXPECT_EQ(opens + 1, emuCallCount("RegOpenKeyExW"));
    // Changed while repeating: this hold keeps what it read.
    emuRegSetDword(KEYBD, "InitialDelay", 100);
    emuRegSetDword(KEYBD, "RepeatRate", 50);
    advance(500);
    EXPECT_EQ(opens + 1, emuCallCount("RegOpenKeyExW"));
    EXPECT_EQ(4u, timed.downTimes.size()) << "at 500, 800, 900 and 1000 ms";
    penUp(keyX(ROW_BACKSPACE, SLOT_BACKSPACE), -20);
    advance(100);

    EXPECT_EQ(schedule(100, 20, 4), holdBackspace(640)) << "the next hold reads the new values";

    emuRegDeleteKey(KEYBD);
    EXPECT_EQ(schedule(512, 55, 3), holdBackspace(1067)) << "no key: the defaults again";
}

// A value that cannot be read as 4 bytes, or a key that cannot be opened, leaves the default.
TEST_F(Repeat, UnreadableValuesKeepTheirDefaults)
{
    const unsigned char eightBytes[8] = {100, 0, 0, 0, 0, 0, 0, 0};
    emuRegSetRaw(KEYBD, "InitialDelay", REG_DWORD, eightBytes, sizeof eightBytes);
    emuRegSetDword(KEYBD, "RepeatRate", 25);
    EXPECT_EQ(schedule(512, 40, 3), holdBackspace(1052));

    emuRegSetDword(KEYBD, "InitialDelay", 100);
    emuRegDeleteValue(KEYBD, "RepeatRate");
    EXPECT_EQ(schedule(100, 55, 3), holdBackspace(655));

    emuFailCall("RegOpenKeyExW", 1);
    EXPECT_EQ(schedule(512, 55, 3), holdBackspace(1067));
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));
}

} // namespace
