// The built tools' command lines as CLI11 reads them: --help prints the usage to standard output
// and exits 0; a bad option says what is wrong and how to get help on standard error, and exits 2.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "wholefile.h"

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

// Runs the tool with the arguments, standard output and standard error apart.
ToolRun runTool(const std::string &tool, const std::string &arguments)
{
    ToolRun run;
    std::string errPath = ::testing::TempDir() + "kweno_tools_" + std::to_string(getpid()) + ".err";
    FILE *pipe = popen((tool + " " + arguments + " 2>'" + errPath + "'").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        run.out += buffer;
    int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = wholeFile<std::string>(errPath);
    std::remove(errPath.c_str());
    return run;
}

const char hint[] = "Run with --help for more information.\n";

// For --help: a line the usage must hold, and nothing on standard error.
const struct {
    const char *tool;
    const char *arguments;
    const char *usage;
} helps[] = {
    {KWENO_SIM_TOOL, "--help", "Usage: kweno-sim [OPTIONS] [SCRIPT]\n"},
    {KWENO_SKIN_TOOL, "--help", "Usage: kweno-skin [OPTIONS] SUBCOMMAND\n"},
    {KWENO_SKIN_GEN_TOOL, "--help", "Usage: kweno-skin-gen [OPTIONS]\n"},
};

// For a bad command line: exactly what standard error says, and nothing on standard output.
const struct {
    const char *tool;
    const char *arguments;
    const char *error;
} errors[] = {
    {KWENO_SIM_TOOL, "--scale 4", "--scale: Value 4 not in range 1 to 3\n"},
    {KWENO_SKIN_TOOL, "check KWENO_Resources.dll --variant dusk", "--variant: dusk not in {day,night}\n"},
    {KWENO_SKIN_GEN_TOOL, "--out skin --font font.ttf --bits 5", "--bits: 5 not in {4,8}\n"},
};

TEST(CommandLine, HelpPrintsTheUsageToStandardOutputAndExitsZero)
{
    for (const auto &h : helps) {
        SCOPED_TRACE(std::string(h.tool) + " " + h.arguments);
        ToolRun run = runTool(h.tool, h.arguments);
        EXPECT_EQ(0, run.status);
        EXPECT_NE(std::string::npos, run.out.find(h.usage)) << "expected the line " << h.usage << "came:\n" << run.out;
        EXPECT_NE(std::string::npos, run.out.find("  -h,--help ")) << run.out;
        EXPECT_EQ("", run.err);
    }
}

TEST(CommandLine, ABadOptionIsNamedWithAHintAndExitsTwo)
{
    for (const auto &e : errors) {
        SCOPED_TRACE(std::string(e.tool) + " " + e.arguments);
        ToolRun run = runTool(e.tool, e.arguments);
        EXPECT_EQ(2, run.status);
        EXPECT_EQ(std::string(e.error) + hint, run.err);
        EXPECT_EQ("", run.out);
    }
}

} // namespace
