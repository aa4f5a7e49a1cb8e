// The interactive mode in a real window on a virtual X server: clicks injected on keys type their
// characters. Skipped where the build has no window or no X server can be started.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "wholefile.h"

static bool onPath(const char *program)
{
    std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Starts the simulator in the X server, waits for its window, clicks a then h (portrait key
// centres with the panel at the bottom of the 480x640 screen), and ends it as a desktop would.
static const char driver[] = R"(#!/bin/sh
export ASAN_OPTIONS=detect_leaks=0
if ! xdotool getdisplaygeometry >/dev/null 2>&1; then echo NO-X; exit 77; fi
"$1" --interactive > "$2" 2>&1 &
sim=$!
win=$(timeout 60 xdotool search --sync --onlyvisible --name '^kweno-sim' | head -n 1)
if [ -z "$win" ]; then echo NO-WINDOW; kill $sim; exit 1; fi
sleep 1
xdotool mousemove --window "$win" 72 482 click 1
sleep 1
xdotool mousemove --window "$win" 312 482 mousedown 1 sleep 0.1 mouseup 1
sleep 1
kill -TERM $sim
wait $sim
echo "EXIT $?"
)";

TEST(Interactive, ClicksOnKeysTypeTheirCharacters)
{
    if (!KWENO_SIM_HAS_SDL)
        GTEST_SKIP() << "kweno-sim was built without SDL2";
    if (!onPath("xvfb-run") || !onPath("xdotool"))
        GTEST_SKIP() << "xvfb-run or xdotool is missing";

    std::string dir = ::testing::TempDir() + "kweno_sim_interactive";
    std::filesystem::create_directories(dir);
    std::string script = dir + "/driver.sh", simLog = dir + "/sim.log", driverLog = dir + "/driver.log";
    std::ofstream(script) << driver;
    std::string command = "timeout 120 xvfb-run -a -s '-screen 0 800x800x24' sh '" + script + "' '" + KWENO_SIM_PATH +
                          "' '" + simLog + "' > '" + driverLog + "' 2>&1";
    int status = std::system(command.c_str());
    std::string driverOut = wholeFile<std::string>(driverLog);
    std::string simOut = wholeFile<std::string>(simLog);
    std::filesystem::remove_all(dir);
    if (driverOut.find("NO-X") != std::string::npos || driverOut.find("xvfb-run: error") != std::string::npos)
        GTEST_SKIP() << "no X server could be started:\n" << driverOut;

    EXPECT_EQ(0, status) << driverOut;
    EXPECT_NE(std::string::npos, driverOut.find("EXIT 0")) << driverOut << simOut;
    EXPECT_NE(std::string::npos, simOut.find("text: \"a\"\n")) << simOut;
    EXPECT_NE(std::string::npos, simOut.find("text: \"ah\"\n")) << simOut;
    EXPECT_NE(std::string::npos, simOut.find("final text \"ah\"")) << simOut;
}
