// The day panel as the benchmarks drive it: selected on a fresh platform with the default skin,
// and the portrait keys they press.
#ifndef KWENO_BENCH_SELECTEDPANEL_H
#define KWENO_BENCH_SELECTEDPANEL_H

#include <memory>

#include <emu.h>

#include "host.h"
#include "server/variants.h"

// Portrait keys with the panel docked at y 388: g spans x 240 to 287 and y 451 to 513, h the next
// 48 pixels; q and w begin the top row; the numeric key starts the bottom row of the letters, the
// letters key the bottom row of the numeric pad.
const POINT keyG = {264, 482};
const POINT keyH = {312, 482};
const POINT keyQ = {24, 419};
const POINT keyW = {72, 419};
const POINT keyNumeric = {36, 608};
const POINT keyLetters = {48, 608};
// o (x 384 to 431 in the top row) has the widest popup, nine cells.
const POINT keyO = {408, 419};

// Each variant's deliverable as the benchmarks load it: in the ARM build, the device's DLL.
inline const char *deliverablePath(int variant)
{
    return variant == VARIANT_NIGHT ? KWENO_NIGHT_PATH : KWENO_DAY_PATH;
}

// A fresh platform with the default skin, and a panel (the day one unless told) selected, shown
// and painted once, the start-up's host traffic forgotten.
class SelectedPanel {
  public:
    explicit SelectedPanel(int variant = VARIANT_DAY)
    {
        emuReset();
        emuMapFolder("\\Windows", KWENO_SKIN_DIR);
        host.reset(new InputPanelHost());
        ready = host->load(deliverablePath(variant), VARIANTS[variant].classId) == S_OK && host->activate() == S_OK;
        host->pump();
        host->callback().clearCalls();
    }
    ~SelectedPanel() { host.reset(); }

    // The keyboard window: the one that takes the pen when a key goes down. The pen then leaves
    // the keyboard upwards and is lifted there, which types nothing.
    HWND keyboardWindow()
    {
        host->penDown(keyQ.x, keyQ.y);
        HWND keyboard = GetCapture();
        host->penMove(keyQ.x, keyQ.y - 400);
        host->penUp(keyQ.x, keyQ.y - 400);
        return keyboard;
    }

    std::unique_ptr<InputPanelHost> host;
    bool ready = false;
};

#endif // KWENO_BENCH_SELECTEDPANEL_H
