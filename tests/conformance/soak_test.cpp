// Conformance: a thousand whole lives of each deliverable in one process (load, select, type,
// deselect, release, unload), after which the platform holds nothing and saw nothing wrong. Under
// an instruction-set emulator the build asks for fewer (KWENO_SOAK_CYCLES).
#include <gtest/gtest.h>

#include "deliverables.h"

#ifdef KWENO_SOAK_CYCLES
static const int cycles = KWENO_SOAK_CYCLES;
#else
static const int cycles = 1000;
#endif

using Soak = DeliverableTest;

TEST_P(Soak, LoadSelectTypeDeselectUnloadCyclesLeaveNothingBehind)
{
    for (int cycle = 0; cycle < cycles && !HasFailure(); ++cycle) {
        InputPanelHost host;
        load(host);
        int mark = emuMark();
        ASSERT_EQ(S_OK, host.activate()) << "cycle " << cycle;
        // Two letters: the faces loaded and painted, the magnifier shown and hidden. A mode change
        // would paint the whole keyboard twice more, which the emulation does pixel by pixel.
        host.tap(24, 419);
        host.tap(72, 419);
        EXPECT_EQ("qw", host.text()) << "cycle " << cycle;
        expectDeactivatedLeavingNothing(host, mark, "cycle " + std::to_string(cycle));
        EXPECT_EQ(0u, host.release()) << "cycle " << cycle << ": the host held the only reference";
        EXPECT_EQ(S_OK, host.unload()) << "cycle " << cycle << ": the module still counts a lock";
    }

    // The hosts are gone too, so nothing at all may be left.
    static const char *const kindNames[EMU_KIND_COUNT] = {"windows",     "window classes", "DCs",          "bitmaps",
                                                          "image lists", "modules",        "registry keys"};
    for (int kind = 0; kind < EMU_KIND_COUNT; ++kind)
        EXPECT_EQ(0, emuLiveCount(kind)) << kindNames[kind] << " still alive";
}

INSTANTIATE_TEST_SUITE_P(Deliverables, Soak, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
