// Every platform call the panel makes is made to fail in turn during a whole session: the panel
// must not crash, must keep to the platform's rules, and must leave nothing alive after Deselect.
#include "support/panelfixture.h"

#include <fstream>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

// The platform functions the panel's library imports, listed at build time from its symbol table, so
// that a call the panel starts making is swept without anyone adding it here.
std::vector<std::string> panelImports()
{
    std::vector<std::string> names;
    std::ifstream in(KWENO_PANEL_IMPORTS);
    for (std::string name; in >> name;)
        names.push_back(name);
    if (names.empty())
        names.push_back("no_import_listed_in_" KWENO_PANEL_IMPORTS_NAME);
    return names;
}

class Faults : public PanelTest {
  protected:
    // Without its letter window the panel runs on, as when that window is not made at Select: the
    // calls that would have shown or moved it fail harmlessly on the null handle.
    static bool tolerated(const char *failing, int nth, const std::string &violation)
    {
        std::string f = failing;
        bool noLetterWindow = f == "CreateWindowExW" && nth == 2;
        if (noLetterWindow && violation.find("null window handle") != std::string::npos)
            return true;
        // Giving an object back cannot fail for a good handle; when it is made to, the object
        // stays alive and whatever it held stays held (the capture too, until its window goes).
        // Nothing is left for the panel to do.
        return f == "ReleaseDC" || f == "ReleaseCapture" || f == "DeleteObject" || f == "DeleteDC" ||
               f == "SelectObject" || f == "DestroyWindow" || f == "ImageList_Destroy" || f == "FreeLibrary" ||
               f == "RegCloseKey" || f == "UnregisterClassW";
    }

    // A session that touches every path: the registry's settings read, typing, modes, repeat, popup
    // by drag and by tap, the calculator, a rotation, hiding, deselecting.
    void session()
    {
        installSkin();
        emuRegSetDword("ControlPanel\\Keybd", "RepeatRate", 20);
        emuRegSetDword("ControlPanel\\Keybd", "InitialDelay", 400);
        emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, "{91C40DFC-6B41-456f-A2E4-4AA7363198B7}");
        emuRegSetString("ControlPanel\\Sip", "KWENO_Calc_Launch", REG_SZ, "\\Windows\\calc.exe");
        select();
        if (selectResult != S_OK)
            return;
        tapKey(1, 1);                 // a
        tapKey(2, 0);                 // shift
        tapKey(0, 0);                 // Q
        penDown(keyX(2, 8), keyY(2)); // backspace held into its repeats
        advance(1200);
        penUp(keyX(2, 8), keyY(2));
        penDown(keyX(0, 8), keyY(0)); // o, held: popup
        advance(600);
        penMove(keyX(0, 8) - 60, keyY(0) - 80);
        penUp(keyX(0, 8) - 60, keyY(0) - 80);
        penDown(keyX(1, 1), keyY(1)); // a, held: popup, lifted, then a tap on a cell
        advance(600);
        penUp(keyX(1, 1), keyY(1));
        tap(panel.popupRect.left + 60, keyY(1) - 100);
        tapKey(3, 0); // numeric
        tapKey(0, 0); // calculator
        rotate(640, 480);
        tapKey(0, 3);
        penDown(keyX(2, 8), keyY(2));
        advance(700);
        inputMethod->Hiding();
        penUp(keyX(2, 8), keyY(2));
        rotate(480, 640);
        tapKey(0, 2);
        deselect();
    }
};

TEST_F(Faults, TheSessionRunsCleanWithoutFailures)
{
    session();
    ASSERT_EQ(S_OK, selectResult);
    EXPECT_FALSE(callback.keyCalls().empty());
}

class FaultSweep : public Faults, public ::testing::WithParamInterface<std::string> {};

// One function at a time, its every call from Select on made to fail in turn, each in a session of
// its own; the session must call every function the panel imports.
TEST_P(FaultSweep, EveryCallFailingInTurnLeavesNothingAliveAndBreaksNoRule)
{
    const std::string f = GetParam();
    failFromSelect(f.c_str(), 1 << 30); // never due: only marks where Select starts
    session();
    ASSERT_EQ(S_OK, selectResult);
    const int calls = emuCallCount(f.c_str()) - callsAtStart[f];
    endSession();
    ASSERT_GT(calls, 0) << "the session never calls " << f << ", which the panel imports";

    for (int nth = 1; nth <= calls; ++nth) {
        SCOPED_TRACE(testing::Message() << f << " failing at call " << nth << " of " << calls);
        startSession();
        requireSelect = false;
        failFromSelect(f.c_str(), nth);
        expectNoViolations = false;
        expectNothingAlive = !tolerated(f.c_str(), nth, "");
        session();
        endSession();
        for (int i = 0; i < emuViolationCount(); ++i) {
            std::string v = emuViolation(i);
            if (!tolerated(f.c_str(), nth, v))
                ADD_FAILURE() << v;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PanelImports, FaultSweep, ::testing::ValuesIn(panelImports()),
                         [](const ::testing::TestParamInfo<std::string> &info) { return info.param; });

} // namespace
