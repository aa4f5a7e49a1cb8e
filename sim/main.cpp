// kweno-sim: runs a deliverable in the project's host on a simulated 480x640 handheld, from a
// script of pen gestures (the built-in demonstration by default) or interactively.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "interactive.h"
#include "session.h"

namespace {

struct Arguments {
    bool night = false;
    bool interactive = false;
    bool check = false;
    bool printDemo = false;
    bool animate = true;
    int scale = 1;
    std::string out;
    std::string script;
    std::string panel;
    std::string skin;
    std::string font;
};

const char usage[] =
    "usage: kweno-sim [options] [SCRIPT]\n"
    "\n"
    "Runs the keyboard on a simulated 480x640 handheld. Without SCRIPT it runs the built-in\n"
    "demonstration. It writes into the output folder: text.txt (what the application received),\n"
    "a PNG for every \"shot\", session.gif (the whole session) and index.html (everything on one page).\n"
    "\n"
    "options:\n"
    "  --night          the night variant (default: day)\n"
    "  --out DIR        the output folder (default: out/demo, out/demo-night, or out/SCRIPTNAME)\n"
    "  --no-animation   no session.gif\n"
    "  --check          only read the script and report what cannot be read\n"
    "  --print-demo     print the built-in demonstration script and stop\n"
    "  --interactive    a window with the handheld's screen: the mouse is the stylus,\n"
    "                   R turns the screen, Escape or Q ends\n"
    "  --scale N        the window's scale, 1 to 3 (interactive)\n"
    "  --panel PATH     the deliverable to load (default: the one built with kweno-sim)\n"
    "  --skin DIR       the folder holding KWENO_Resources.dll (default: the built skin)\n"
    "  --font PATH      the font of the application's text\n"
    "  --help           this text\n";

bool needValue(int argc, char **argv, int *i, std::string *value)
{
    if (*i + 1 >= argc) {
        std::cerr << "kweno-sim: " << argv[*i] << " needs a value\n";
        return false;
    }
    *value = argv[++*i];
    return true;
}

// 0 on success, 2 for a bad command line, -1 when the command line asked only for help.
int parseArguments(int argc, char **argv, Arguments *args)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        std::string value;
        if (a == "--help" || a == "-h") {
            std::cout << usage;
            return -1;
        } else if (a == "--night") {
            args->night = true;
        } else if (a == "--day") {
            args->night = false;
        } else if (a == "--interactive") {
            args->interactive = true;
        } else if (a == "--check") {
            args->check = true;
        } else if (a == "--print-demo") {
            args->printDemo = true;
        } else if (a == "--no-animation") {
            args->animate = false;
        } else if (a == "--out" || a == "--panel" || a == "--skin" || a == "--font" || a == "--scale") {
            if (!needValue(argc, argv, &i, &value))
                return 2;
            if (a == "--out")
                args->out = value;
            else if (a == "--panel")
                args->panel = value;
            else if (a == "--skin")
                args->skin = value;
            else if (a == "--font")
                args->font = value;
            else
                args->scale = std::atoi(value.c_str());
        } else if (a.size() > 1 && a[0] == '-') {
            std::cerr << "kweno-sim: unknown option " << a << "\n" << usage;
            return 2;
        } else if (args->script.empty()) {
            args->script = a;
        } else {
            std::cerr << "kweno-sim: one script at a time\n";
            return 2;
        }
    }
    if (args->scale < 1 || args->scale > 3) {
        std::cerr << "kweno-sim: --scale takes 1, 2 or 3\n";
        return 2;
    }
    return 0;
}

std::string baseName(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

DeviceOptions deviceOptions(const Arguments &args)
{
    DeviceOptions options;
    options.night = args.night;
    options.panelPath = !args.panel.empty() ? args.panel : args.night ? KWENO_SIM_NIGHT_PATH : KWENO_SIM_DAY_PATH;
    options.skinDir = !args.skin.empty() ? args.skin : KWENO_SIM_SKIN_DIR;
    options.fontPath = !args.font.empty() ? args.font : KWENO_SIM_FONT;
    return options;
}

void printFiles(const SessionResult &result)
{
    std::cout << "  page:        " << result.pagePath << "\n";
    if (!result.animationPath.empty())
        std::cout << "  animation:   " << result.animationPath << "\n";
    std::cout << "  text:        " << result.textPath << "\n";
    if (!result.shots.empty()) {
        std::string folder = result.textPath.substr(0, result.textPath.find_last_of('/'));
        std::cout << "  screenshots: " << result.shots.size() << " in " << folder << "/ (" << result.shots.front().file;
        if (result.shots.size() > 1)
            std::cout << " ... " << result.shots.back().file;
        std::cout << ")\n";
    }
}

} // namespace

int main(int argc, char **argv)
{
    Arguments args;
    int status = parseArguments(argc, argv, &args);
    if (status != 0)
        return status < 0 ? 0 : status;

    if (args.printDemo) {
        std::cout << demonstrationScript();
        return 0;
    }
    if (args.interactive)
        return runInteractive(deviceOptions(args), args.scale, std::cout);

    SessionOptions options;
    options.device = deviceOptions(args);
    options.animate = args.animate;
    if (args.script.empty()) {
        options.scriptText = demonstrationScript();
        options.scriptName = "the built-in demonstration";
    } else {
        std::ifstream in(args.script, std::ios::binary);
        if (!in) {
            std::cerr << "kweno-sim: cannot read " << args.script << "\n";
            return 2;
        }
        std::ostringstream text;
        text << in.rdbuf();
        options.scriptText = text.str();
        options.scriptName = args.script;
    }

    if (args.check) {
        Script script;
        std::vector<std::string> errors;
        bool ok = parseScript(options.scriptText, &script, &errors);
        for (const std::string &e : errors)
            std::cerr << options.scriptName << ": " << e << "\n";
        if (ok)
            std::cout << options.scriptName << ": " << script.commands.size() << " commands, no errors\n";
        return ok ? 0 : 2;
    }

    std::string name = args.script.empty() ? std::string("demo") : baseName(args.script);
    options.outDir = !args.out.empty() ? args.out : "out/" + name + (args.night ? "-night" : "");

    SessionResult result = runSession(options, std::cout);
    bool parsed = result.errors.empty() || result.virtualMs > 0 || !result.pagePath.empty();
    for (const std::string &e : result.errors)
        std::cerr << (args.script.empty() ? "kweno-sim" : args.script) << ": " << e << "\n";
    if (!parsed)
        return 2;

    std::cout << (result.ok ? "kweno-sim: done" : "kweno-sim: stopped") << " after " << result.virtualMs / 1000.0
              << " s on the device's clock; " << result.shots.size() << " screenshots, " << result.frames
              << " frames\n";
    std::cout << "  final text:  \"" << visibleText(result.text) << "\"\n";
    for (const std::string &program : result.programs)
        std::cout << "  started:     " << program << "\n";
    if (!result.pagePath.empty())
        printFiles(result);
    return result.ok ? 0 : 1;
}
