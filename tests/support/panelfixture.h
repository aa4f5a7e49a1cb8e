// A selected panel on a fresh emulated device: host window, test skin, the host's recording callback.
#ifndef KWENO_TESTS_PANELFIXTURE_H
#define KWENO_TESTS_PANELFIXTURE_H

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "emu.h"
#include "inputmethod/inputmethod.h"
#include "model/panelstate.h"
#include "callback.h"
#include "expectcalls.h"
#include "testskin.h"

namespace testsupport {

class PanelTest : public ::testing::Test {
  protected:
    void SetUp() override { startSession(); }
    void TearDown() override { endSession(); }
    // A fresh platform (480×640), the panel state as at load, no host window, nothing armed: what
    // every test starts with, and what a test running several sessions starts each with.
    void startSession();
    // Deselects if selected, releases the object, then checks that the panel left nothing alive and
    // broke no rule; nothing when the session has ended already.
    void endSession();

    // Installs the test skin without the given ids (call before select()).
    void installSkin(const std::set<unsigned> &omit = std::set<unsigned>());
    // Host window at the bottom of the screen (made once, kept across reselections), Select,
    // RegisterCallback (unless told not to), GetInfo, ReceiveSipInfo.
    void select(bool registerCallback = true);
    void deselect();
    // Rotates the emulated screen and delivers the settings change to the keyboard window.
    void rotate(int width, int height);

    // Pen at layout coordinates of the keyboard window (y becomes a screen y below the host top).
    void penDown(int x, int y);
    void penMove(int x, int y);
    void penUp(int x, int y);
    void tap(int x, int y);
    // Centre of a key of the current layout.
    int keyX(int row, int slot) const;
    int keyY(int row) const;
    void tapKey(int row, int slot);
    void advance(unsigned ms) { emuAdvance(ms); }

    // The face pixel on screen at layout coordinates.
    FacePixel faceAt(int x, int y) const;
    DWORD screenAt(int x, int y) const { return emuScreenPixel(x, y); }
    int hostTop() const { return panel.hostRect.top; }

    // Whether the host's key calls so far are exactly the table's rows.
    ::testing::AssertionResult keysAre(const std::vector<ExpectedCall> &expected) const
    {
        return callsAre(callback.keyCalls(), expected);
    }

    // Makes the nth call of a platform function fail, counting from the panel's Select (the host's
    // own window and class come first and are not counted).
    void failFromSelect(const char *function, int nth) { failures.push_back(ArmedFailure{function, nth}); }
    struct ArmedFailure {
        std::string function;
        int nth;
    };
    std::vector<ArmedFailure> failures;
    std::map<std::string, int> callsAtStart;
    bool requireSelect = true;
    HRESULT selectResult = S_OK;

    HostCallback callback;
    InputMethod *inputMethod = nullptr;
    HWND hostWindow = nullptr;
    bool selected = false;
    bool sessionOpen = false;
    int mark = 0;
    // Tests that provoke a violation on purpose clear this.
    bool expectNoViolations = true;
    // And those that make a release fail on purpose clear this.
    bool expectNothingAlive = true;
};

} // namespace testsupport

#endif // KWENO_TESTS_PANELFIXTURE_H
