// The calculator key: which program it starts for each kind of registry value, values at the edge
// of the read buffer, and releases that start nothing.
#include "penfixture.h"

#include <string>

using namespace testsupport;

namespace {

const char *const SIP_KEY = "ControlPanel\\Sip";
const char *const VALUE = "KWENO_Calc_Launch";
const std::string DEFAULT_PROGRAM = "MobileCalculator.exe";
const DWORD CREATE_NEW_CONSOLE_FLAG = 0x10;

// The calculator key and a digit of the portrait numeric pad.
const int ROW_CALC = 0, SLOT_CALC = 0;
const int ROW_7 = 0, SLOT_7 = 1;

class CalculatorKey : public PenTest {
  protected:
    void toNumeric()
    {
        tapOn(3, 0);
        ASSERT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
        callback.clearCalls();
    }
    // Taps the calculator key on the numeric pad; returns how many programs that started.
    int tapCalculator()
    {
        int before = emuProcessCount();
        tapOn(ROW_CALC, SLOT_CALC);
        advance(100);
        return emuProcessCount() - before;
    }
    // The program and argument string of the last start.
    std::string program() const { return emuProcessProgram(emuProcessCount() - 1); }
    std::string arguments() const { return emuProcessArguments(emuProcessCount() - 1); }

    void setUnits(DWORD type, const std::u16string &units)
    {
        emuRegSetRaw(SIP_KEY, VALUE, type, units.data(), (DWORD)(units.size() * sizeof(char16_t)));
    }
};

std::u16string repeated(char16_t c, size_t n)
{
    return std::u16string(n, c);
}
std::string repeatedUtf8(char c, size_t n)
{
    return std::string(n, c);
}

TEST_F(CalculatorKey, WithoutAValueEachReleaseStartsTheDefaultCalculator)
{
    toNumeric();
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(DEFAULT_PROGRAM, program());
    EXPECT_EQ("", arguments());
    EXPECT_EQ(CREATE_NEW_CONSOLE_FLAG, emuProcessFlags(0));
    EXPECT_EQ(1, tapCalculator()) << "nothing checks for a calculator already running";
    expectKeys({}, "calculator key tapped twice");
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));

    // The release hides the magnifier but does not redraw the key: it shows unpressed from the next
    // repaint on.
    EXPECT_FALSE(letterShown());
    EXPECT_FALSE(key(ROW_CALC, SLOT_CALC).flags & KEY_PRESSED);
    EXPECT_TRUE(looksPressed(ROW_CALC, SLOT_CALC));
    repaintKeyboard();
    EXPECT_TRUE(looksNormal(ROW_CALC, SLOT_CALC));
}

TEST_F(CalculatorKey, AStringValueNamesTheProgramWithNoArguments)
{
    emuRegSetString(SIP_KEY, VALUE, REG_SZ, "\\Program Files\\Calc\\calc.exe");
    toNumeric();
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ("\\Program Files\\Calc\\calc.exe", program());
    EXPECT_EQ("", arguments());
}

TEST_F(CalculatorKey, AMultiStringValueNamesTheProgramAndItsArguments)
{
    toNumeric();
    const char *const two[] = {"\\Windows\\calc2.exe", "-mode scientific"};
    emuRegSetMultiString(SIP_KEY, VALUE, two, 2);
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ("\\Windows\\calc2.exe", program());
    EXPECT_EQ("-mode scientific", arguments());

    const char *const one[] = {"\\Windows\\calc2.exe"};
    emuRegSetMultiString(SIP_KEY, VALUE, one, 1);
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ("\\Windows\\calc2.exe", program());
    EXPECT_EQ("", arguments());

    const char *const three[] = {"calc3.exe", "/a", "/b"};
    emuRegSetMultiString(SIP_KEY, VALUE, three, 3);
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ("calc3.exe", program());
    EXPECT_EQ("/a", arguments()) << "strings after the second are ignored";
}

TEST_F(CalculatorKey, OtherValueTypesAndRegistryFailuresFallBackToTheDefault)
{
    toNumeric();
    emuRegSetString(SIP_KEY, VALUE, REG_EXPAND_SZ, "%windir%\\calc.exe");
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(DEFAULT_PROGRAM, program()) << "REG_EXPAND_SZ";
    EXPECT_EQ("", arguments());

    emuRegSetDword(SIP_KEY, VALUE, 7);
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(DEFAULT_PROGRAM, program()) << "REG_DWORD";

    emuRegSetString(SIP_KEY, VALUE, REG_SZ, "calc.exe");
    emuFailCall("RegOpenKeyExW", 1);
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(DEFAULT_PROGRAM, program()) << "the key could not be opened";
    int closes = emuCallCount("RegCloseKey");
    emuFailCall("RegQueryValueExW", 1);
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(DEFAULT_PROGRAM, program()) << "the value could not be read";
    EXPECT_EQ(closes + 1, emuCallCount("RegCloseKey")) << "the key is closed after a failed read";

    // A value too long for the buffer cannot be read at all.
    setUnits(REG_SZ, repeated(u'c', 520) + u'\0');
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(DEFAULT_PROGRAM, program()) << "1042 bytes";
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));
}

// Values that fill the 1040-byte buffer, or whose strings do not end in it, are read within its
// bounds (the sanitizers watch the reads), the name running to the buffer's end.
TEST_F(CalculatorKey, ValuesThatFillTheBufferStayWithinIt)
{
    toNumeric();
    emuRegSetString(SIP_KEY, VALUE, REG_SZ, repeatedUtf8('c', 519).c_str());
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(repeatedUtf8('c', 519), program()) << "519 units and the terminator";
    EXPECT_EQ("", arguments());

    setUnits(REG_SZ, repeated(u'd', 520));
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(repeatedUtf8('d', 520), program()) << "520 units without a terminator";
    EXPECT_EQ("", arguments());

    setUnits(REG_MULTI_SZ, repeated(u'e', 520));
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(repeatedUtf8('e', 520), program()) << "a first string without an end";
    EXPECT_EQ("", arguments());

    setUnits(REG_MULTI_SZ, u"p.exe" + std::u16string(1, u'\0') + repeated(u'f', 514));
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ("p.exe", program());
    EXPECT_EQ(repeatedUtf8('f', 514), arguments()) << "a second string without an end";

    setUnits(REG_MULTI_SZ, repeated(u'g', 519) + u'\0');
    ASSERT_EQ(1, tapCalculator());
    EXPECT_EQ(repeatedUtf8('g', 519), program()) << "one string filling the buffer, no list end";
    EXPECT_EQ("", arguments());
}

// Only a release on the calculator key starts the program.
TEST_F(CalculatorKey, SlidingAwayOrLiftingOffTheRowsStartsNothing)
{
    toNumeric();
    downOn(ROW_CALC, SLOT_CALC);
    EXPECT_TRUE(magnifies(ROW_CALC, SLOT_CALC));
    moveOnto(ROW_7, SLOT_7);
    upOn(ROW_7, SLOT_7);
    expectKeys(typed('7', '7'), "calculator key, slid onto 7");

    downOn(ROW_CALC, SLOT_CALC);
    penMove(keyX(ROW_CALC, SLOT_CALC), -20);
    penUp(keyX(ROW_CALC, SLOT_CALC), -20);
    downOn(ROW_CALC, SLOT_CALC);
    penUp(keyX(ROW_CALC, SLOT_CALC), -20);
    EXPECT_EQ(0, emuProcessCount());
}

// Typing under a held mode key, release of the calculator key: the program starts and the saved mode
// comes back.
TEST_F(CalculatorKey, ReleasedUnderAHeldNumericKeyItStartsAndTheLettersReturn)
{
    downOn(3, 0);
    ASSERT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    moveOnto(ROW_CALC, SLOT_CALC);
    EXPECT_EQ(1, panel.modeKeyTyped);
    upOn(ROW_CALC, SLOT_CALC);
    EXPECT_EQ(1, emuProcessCount());
    EXPECT_EQ(DEFAULT_PROGRAM, program());
    EXPECT_EQ((KeyboardMode)MODE_LOWER, panel.mode);
    EXPECT_EQ(MODE_NONE, panel.savedMode);
    EXPECT_TRUE(keyShows(0, 1, 0x1001)) << "the lowercase face is back";
    expectKeys({}, "numeric held onto the calculator key");
}

TEST_F(CalculatorKey, AProgramThatDoesNotStartIsIgnored)
{
    toNumeric();
    emuFailCall("CreateProcessW", 1);
    EXPECT_EQ(0, tapCalculator());
    EXPECT_FALSE(letterShown());
    EXPECT_EQ((KeyboardMode)MODE_NUMERIC, panel.mode);
    tapOn(ROW_7, SLOT_7);
    expectKeys(typed('7', '7'), "7 after a failed start");
}

} // namespace
