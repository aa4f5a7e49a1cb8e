// Conformance: each step of Select that can fail, made to fail on both deliverables: the result it
// gives, that Select stops there, and that Deselect then takes everything back so that the next
// Select succeeds.
#include <gtest/gtest.h>

#include "deliverables.h"

struct FailingStep {
    const char *function;
    int nth; // the panel's nth call of the function within Select
    HRESULT result;
    // A call Select makes only after this step, and how often it may have been made by then.
    const char *later;
    int laterCalls;
};

static const FailingStep failingSteps[] = {
    {"RegisterClassW", 1, E_FAIL, "LoadLibraryExW", 0},             // the keyboard window's class
    {"LoadLibraryExW", 1, E_FAIL, "ImageList_Create", 0},           // the resource module
    {"CreateCompatibleDC", 1, E_OUTOFMEMORY, "CreateWindowExW", 0}, // the faces' DC
    {"CreateWindowExW", 1, E_OUTOFMEMORY, "RegisterClassW", 1},     // the keyboard window
    {"RegisterClassW", 2, E_FAIL, "CreateWindowExW", 1},            // the letter window's class
    {"CreateCompatibleDC", 2, E_OUTOFMEMORY, nullptr, 0},           // the letter window's back buffer DC
    {"CreateCompatibleDC", 3, E_OUTOFMEMORY, nullptr, 0},           // the popup pictures' DC
};

static std::string stepName(const FailingStep &step)
{
    return std::string(step.function) + " #" + std::to_string(step.nth);
}

using SelectFaults = DeliverableTest;

TEST_P(SelectFaults, EachFailingStepGivesItsResultAndDeselectLeavesNothingForTheNextSelect)
{
    for (const FailingStep &step : failingSteps) {
        SCOPED_TRACE(stepName(step));
        startFreshPlatform();
        InputPanelHost host;
        load(host);
        int mark = emuMark();

        // Counted from here, so that only the panel's own calls made within Select count.
        int callsBefore = emuCallCount(step.function);
        int laterBefore = step.later ? emuCallCount(step.later) : 0;
        emuFailCall(step.function, step.nth);
        EXPECT_EQ(step.result, host.select());
        emuClearFailures();
        EXPECT_GE(emuCallCount(step.function) - callsBefore, step.nth) << "Select never came to the failing call";
        if (step.later) {
            EXPECT_EQ(step.laterCalls, emuCallCount(step.later) - laterBefore)
                << "Select went on past the failed step to " << step.later;
        }

        EXPECT_EQ(S_OK, host.deselect());
        EXPECT_EQ(0, emuCheckNoneAliveSince(mark, PANEL_OBJECT_KINDS, "after the failed Select's Deselect"));

        ASSERT_EQ(S_OK, host.activate()) << "the next Select";
        host.tap(24, 419);
        EXPECT_EQ("q", host.text());
        expectDeactivatedLeavingNothing(host, mark, "after " + stepName(step) + " failed once");
        reportViolations();
        emuClearViolations();
        if (HasFailure())
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Deliverables, SelectFaults, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
