// The two deliverables as the conformance tests load them, and a fixture that gives each test a
// fresh platform with the default skin in \Windows.
#ifndef KWENO_TESTS_DELIVERABLES_H
#define KWENO_TESTS_DELIVERABLES_H

#include <cstdlib>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include <emu.h>

#include "host.h"
#include "server/variants.h"
#include "text.h"

struct Deliverable {
    const char *name; // of the tests
    const char *path;
    const VariantFacts *variant;
    // Where the tests run the device's own DLLs, the CAB that installs this one; "" elsewhere.
    const char *cab;
    CLSID clsid() const { return variant->classId; }
    // As the registry names it.
    std::string clsidText() const { return utf8FromUtf16(reinterpret_cast<const char16_t *>(variant->classIdText)); }
};

inline std::ostream &operator<<(std::ostream &out, const Deliverable &d)
{
    return out << d.name;
}

inline const Deliverable deliverables[] = {
    {"day", KWENO_DAY_PATH, &VARIANTS[VARIANT_DAY], KWENO_DAY_CAB},
    {"night", KWENO_NIGHT_PATH, &VARIANTS[VARIANT_NIGHT], KWENO_NIGHT_CAB},
};

// Every kind of object the panel makes and must give back.
const int PANEL_OBJECT_KINDS = (1 << EMU_WINDOW) | (1 << EMU_CLASS) | (1 << EMU_DC) | (1 << EMU_BITMAP) |
                               (1 << EMU_IMAGELIST) | (1 << EMU_MODULE) | (1 << EMU_KEY);

// The folder that stands for the device's \Windows: the default skin's, unless KWENO_SKIN_DIR names
// another one holding a KWENO_Resources.dll (the same pictures stored in another format, say).
inline const char *skinFolder()
{
    const char *chosen = std::getenv("KWENO_SKIN_DIR");
    return chosen && *chosen ? chosen : KWENO_SKIN_DIR;
}

// A fresh platform with the skin in \Windows, and every violation of its rules a failure.
// KWENO_REBIND_IMPORT=Name=Other binds a PE deliverable's import of Name to the platform's Other,
// to show that a wrongly bound import fails these tests.
inline void startFreshPlatform()
{
    emuReset();
    emuMapFolder("\\Windows", skinFolder());
    std::string rebind = std::getenv("KWENO_REBIND_IMPORT") ? std::getenv("KWENO_REBIND_IMPORT") : "";
    size_t equals = rebind.find('=');
    if (equals != std::string::npos)
        emuRebindImport(rebind.substr(0, equals).c_str(), rebind.substr(equals + 1).c_str());
}

inline void reportViolations()
{
    for (int i = 0; i < emuViolationCount(); ++i)
        ADD_FAILURE() << "violation: " << emuViolation(i);
}

class DeliverableTest : public ::testing::TestWithParam<Deliverable> {
  protected:
    void SetUp() override { startFreshPlatform(); }
    void TearDown() override { reportViolations(); }

    // A host with the deliverable loaded; the test activates it.
    void load(InputPanelHost &host) { ASSERT_EQ(S_OK, host.load(GetParam().path, GetParam().clsid())) << host.error(); }
};

// Portrait key centres on the 480x640 screen, the panel docked at y 388: row tops 388, 451, 514, 577.
struct ScreenPoint {
    int x;
    int y;
};

// Hiding and Deselect, then nothing the panel made since mark may be alive and the platform may
// have seen nothing done wrong. Failures name the context.
inline void expectDeactivatedLeavingNothing(InputPanelHost &host, int mark, const std::string &context)
{
    EXPECT_EQ(S_OK, host.deactivate()) << context;
    EXPECT_EQ(0, emuCheckNoneAliveSince(mark, PANEL_OBJECT_KINDS, context.c_str())) << context;
    EXPECT_EQ(0, emuViolationCount()) << context << ": the first is " << (emuViolationCount() ? emuViolation(0) : "");
}

// The panel's keyboard window, found as the window that takes the pen when a character key goes
// down at p; the pen then leaves the keyboard upwards, higher than the keyboard is tall, and is
// lifted there, so nothing is typed.
inline HWND keyboardWindowUnder(InputPanelHost &host, ScreenPoint p)
{
    host.penDown(p.x, p.y);
    HWND keyboard = GetCapture();
    host.penMove(p.x, p.y - 400);
    host.penUp(p.x, p.y - 400);
    return keyboard;
}

#endif // KWENO_TESTS_DELIVERABLES_H
