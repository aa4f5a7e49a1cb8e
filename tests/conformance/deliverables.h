// The two deliverables as the conformance tests load them, and a fixture that gives each test a
// fresh platform with the default skin in \Windows.
#ifndef KWENO_TESTS_DELIVERABLES_H
#define KWENO_TESTS_DELIVERABLES_H

#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include <emu.h>

#include "host.h"

struct Deliverable {
    const char *name;
    const char *path;
    const char *clsidText; // as the registry names it
    CLSID clsid() const
    {
        CLSID clsid;
        clsidFromText(clsidText, &clsid);
        return clsid;
    }
};

inline std::ostream &operator<<(std::ostream &out, const Deliverable &d)
{
    return out << d.name;
}

inline const Deliverable deliverables[] = {
    {"day", KWENO_DAY_PATH, "{91C40DFC-6B41-456f-A2E4-4AA7363198B7}"},
    {"night", KWENO_NIGHT_PATH, "{5956CDC6-4A6D-4d26-BC6E-6CBF5C8043F0}"},
};

// Every kind of object the panel makes and must give back.
const int PANEL_OBJECT_KINDS = (1 << EMU_WINDOW) | (1 << EMU_CLASS) | (1 << EMU_DC) | (1 << EMU_BITMAP) |
                               (1 << EMU_IMAGELIST) | (1 << EMU_MODULE) | (1 << EMU_KEY);

class DeliverableTest : public ::testing::TestWithParam<Deliverable> {
  protected:
    void SetUp() override
    {
        emuReset();
        emuMapFolder("\\Windows", KWENO_SKIN_DIR);
    }
    void TearDown() override
    {
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << "violation: " << emuViolation(i);
    }

    // A host with the deliverable loaded; the test activates it.
    void load(InputPanelHost &host) { ASSERT_EQ(S_OK, host.load(GetParam().path, GetParam().clsid())) << host.error(); }
};

// Portrait key centres on the 480x640 screen, the panel docked at y 388: row tops 388, 451, 514, 577.
struct ScreenPoint {
    int x;
    int y;
};

#endif // KWENO_TESTS_DELIVERABLES_H
