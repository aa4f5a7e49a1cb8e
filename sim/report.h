// The page of a session: one self-contained HTML file with the animation and every screenshot
// embedded, each with the text the application held at that moment.
#ifndef KWENO_SIM_REPORT_H
#define KWENO_SIM_REPORT_H

#include <string>
#include <vector>

#include "runner.h"

struct Report {
    std::string title;
    std::string variant;
    std::string script;  // the script's name, or "the built-in demonstration"
    int screenWidth = 0; // the handheld's screen, upright
    int screenHeight = 0;
    std::string animationPath; // a GIF file to embed; empty for none
    std::vector<ShotRecord> shots;
    std::string finalText;
    std::vector<std::string> programs;
    std::string error; // the failure that ended the run early, if any
    long virtualMs = 0;
    // Where the page that runs the panel in a browser lies, relative to this one; empty for nowhere.
    std::string webPage;
};

bool writeReport(const std::string &path, const Report &report, std::string *error);

// Standard base64 with padding, for data URIs.
std::string base64(const std::vector<unsigned char> &bytes);

#endif // KWENO_SIM_REPORT_H
