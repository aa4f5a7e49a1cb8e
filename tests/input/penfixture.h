// The fixture of the pen-input tests: a selected panel, keys by row and slot, host calls checked as
// tables, and the looks of the keyboard and the letter window read off the emulated screen.
#ifndef KWENO_TESTS_INPUT_PENFIXTURE_H
#define KWENO_TESTS_INPUT_PENFIXTURE_H

#include "input/input.h"
#include "support/panelfixture.h"
#include "surface/imageids.h"
#include "surface/surface.h"

namespace testsupport {

typedef std::vector<ExpectedCall> Calls;

// One tap of a character key as the host sees it: key-down, then key-up.
inline Calls typed(unsigned vk, unsigned character)
{
    return Calls{charEvent(vk, 0x80, character), charEvent(vk, 0x10040, character)};
}
inline Calls typedShifted(unsigned vk, unsigned character)
{
    return Calls{charEvent(vk, 0x20000080, character), charEvent(vk, 0x20010040, character)};
}
inline Calls operator+(Calls a, const Calls &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Keys of the portrait lowercase layout, by row and slot.
enum { ROW_QWERTZ = 0, ROW_ASDF = 1, ROW_YXCV = 2, ROW_SPACE = 3 };

class PenTest : public PanelTest {
  protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        if (landscape)
            emuSetScreenSize(640, 480);
        installSkin(omit);
        select(registerCallback);
    }
    // Set before SetUp: pictures left out of the skin, a landscape screen, no host callback.
    std::set<unsigned> omit;
    bool landscape = false;
    bool registerCallback = true;

    KeyRecord &key(int row, int slot) const { return (*panel.currentLayout)[row][slot]; }
    // Row and slot of a record of the current layout; false when it belongs to another layout.
    bool locate(const KeyRecord *record, int *row, int *slot) const
    {
        for (*row = 0; *row < ROW_COUNT; ++*row)
            for (*slot = 0; !isSentinel(key(*row, *slot)); ++*slot)
                if (&key(*row, *slot) == record)
                    return true;
        return false;
    }
    void downOn(int row, int slot) { penDown(keyX(row, slot), keyY(row)); }
    void moveOnto(int row, int slot) { penMove(keyX(row, slot), keyY(row)); }
    void upOn(int row, int slot) { penUp(keyX(row, slot), keyY(row)); }
    void tapOn(int row, int slot)
    {
        downOn(row, slot);
        upOn(row, slot);
    }
    // A pen message straight to the keyboard window, for points the platform would not route
    // there (outside the window while it holds no capture); then the queue is run.
    void sendPen(UINT message, int x, int y)
    {
        SendMessageW(panel.keyboardWindow, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
        emuPump();
    }

    // Checks the host's key calls since the last check against a table, then forgets them.
    void expectKeys(const Calls &expected, const char *gesture)
    {
        EXPECT_TRUE(keysAre(expected)) << gesture;
        callback.clearCalls();
    }

    unsigned pressedFace() const { return (unsigned)pressedFaceId(panel.mode, panel.portrait); }
    unsigned normalFace() const { return (unsigned)normalImageId(pressedFaceId(panel.mode, panel.portrait)); }

    // Whether the key's corners and centre on screen come from the given face and show that key.
    ::testing::AssertionResult keyShows(int row, int slot, unsigned imageId) const;
    ::testing::AssertionResult looksPressed(int row, int slot) const { return keyShows(row, slot, pressedFace()); }
    ::testing::AssertionResult looksNormal(int row, int slot) const { return keyShows(row, slot, normalFace()); }

    bool letterShown() const { return IsWindowVisible(panel.letterWindow) != 0; }
    RECT letterRect() const
    {
        RECT r = {0, 0, 0, 0};
        GetWindowRect(panel.letterWindow, &r);
        return r;
    }
    // Whether the letter window shows a magnified copy of the key from the pressed face.
    ::testing::AssertionResult magnifies(int row, int slot) const;
    bool capturing() const { return GetCapture() == panel.keyboardWindow; }
};

} // namespace testsupport

#endif // KWENO_TESTS_INPUT_PENFIXTURE_H
