// The interactive mode: the handheld's screen in a window, the mouse as the stylus.
#ifndef KWENO_SIM_INTERACTIVE_H
#define KWENO_SIM_INTERACTIVE_H

#include <ostream>

#include "device.h"

// Whether this build has the window (SDL2 was found when it was configured).
bool interactiveAvailable();

// Runs until the window is closed (or Escape, or Q); R turns the screen. Prints the text as it
// changes. Returns the process's exit status.
int runInteractive(const DeviceOptions &options, int scale, std::ostream &log);

#endif // KWENO_SIM_INTERACTIVE_H
