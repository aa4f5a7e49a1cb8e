// One scripted session from start to end: read the script, bring the handheld up, run, and write
// the text, the pictures, the animation and the page.
#ifndef KWENO_SIM_SESSION_H
#define KWENO_SIM_SESSION_H

#include <ostream>
#include <string>
#include <vector>

#include "device.h"
#include "runner.h"

struct SessionOptions {
    DeviceOptions device;
    std::string scriptText;
    std::string scriptName; // for messages and the page
    std::string outDir;     // created if missing; empty writes nothing
    bool animate = true;
};

struct SessionResult {
    bool ok = false;
    // Parse errors ("line N: ..."), or the one failure that stopped the run.
    std::vector<std::string> errors;
    std::string text;
    std::vector<ShotRecord> shots;
    std::vector<std::string> programs;
    long virtualMs = 0;
    int frames = 0;
    std::string pagePath, animationPath, textPath;
};

// Runs the session, with progress on log. Output files are written even when the run stops
// early, so that its pictures show what went wrong.
SessionResult runSession(const SessionOptions &options, std::ostream &log);

// The demonstration that runs when no script is given.
const std::string &demonstrationScript();

#endif // KWENO_SIM_SESSION_H
