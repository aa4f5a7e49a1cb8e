// kweno-sim: runs a deliverable in the project's host on a simulated handheld, from a
// script of pen gestures (the built-in demonstration by default) or interactively.
#include <CLI/CLI.hpp>

#include <iostream>

#include "interactive.h"
#include "keytable.h"
#include "session.h"
#include "wholefile.h"

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
    std::string glyphTable;
    bool printKeys = false;
};

const char description[] =
    "Runs the keyboard on a simulated handheld. Without SCRIPT it runs the built-in\n"
    "demonstration. It writes into the output folder: text.txt (what the application received),\n"
    "a PNG for every \"shot\", session.gif (the whole session) and index.html (everything on one page).\n";

const char footer[] = "Exit status: 0 when the script ran to its end, 1 when a command failed, 2 for a script that\n"
                      "cannot be read, a handheld that cannot be started or a bad command line.";

// The command line as CLI11 reads it: true to go on, or false with the status to exit with, 0 after
// --help and 2 for a bad command line (CLI11 has said what was wrong).
bool parseArguments(int argc, char **argv, Arguments *args, int *exitStatus)
{
    CLI::App app{description, "kweno-sim"};
    // As the command lines of the build and the scripts expect: an option given twice takes the last.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.footer(footer);
    app.add_option("SCRIPT", args->script, "a script of pen gestures (default: the built-in demonstration)")
        ->type_name("");
    app.add_flag("--night,!--day", args->night, "the night variant, or the day variant (the default)");
    app.add_option("--out", args->out, "the output folder (default: out/demo, out/demo-night, or out/SCRIPTNAME)")
        ->type_name("DIR");
    app.add_flag_callback(
        "--no-animation", [args] { args->animate = false; }, "no session.gif");
    app.add_flag("--check", args->check, "only read the script and report what cannot be read");
    app.add_flag("--print-demo", args->printDemo, "print the built-in demonstration script and stop");
    app.add_flag("--interactive", args->interactive,
                 "a window: the mouse is the stylus, R turns the screen, Escape or Q ends");
    app.add_option("--scale", args->scale, "the window's scale (interactive)")
        ->check(CLI::Range(1, 3))
        ->type_name("N")
        ->capture_default_str();
    app.add_option("--panel", args->panel, "the deliverable to load (default: the one built with kweno-sim)")
        ->type_name("PATH");
    app.add_option("--skin", args->skin, "the folder holding KWENO_Resources.dll (default: the built skin)")
        ->type_name("DIR");
    app.add_option("--font", args->font, "the font of the application's text")->type_name("PATH");
    app.add_option("--glyph-table", args->glyphTable,
                   "write the application's glyphs in that font, for the page's build without FreeType, and stop")
        ->type_name("FILE");
    app.add_flag("--print-keys", args->printKeys,
                 "print every key's screen point and its popup's cells as JSON, and stop");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        *exitStatus = app.exit(e) == 0 ? 0 : 2;
        return false;
    }
    return true;
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

int writeGlyphTable(const std::string &fontPath, const std::string &path)
{
    std::vector<uint8_t> table;
    std::string error;
    if (!glyphTable(fontPath, &table, &error)) {
        std::cerr << "kweno-sim: " << error << "\n";
        return 2;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(table.data()), static_cast<std::streamsize>(table.size()));
    if (!out.flush()) {
        std::cerr << "kweno-sim: cannot write " << path << "\n";
        return 2;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Arguments args;
    int status = 0;
    if (!parseArguments(argc, argv, &args, &status))
        return status;

    if (args.printDemo) {
        std::cout << demonstrationScript();
        return 0;
    }
    if (args.interactive)
        return runInteractive(deviceOptions(args), args.scale, std::cout);
    if (!args.glyphTable.empty())
        return writeGlyphTable(deviceOptions(args).fontPath, args.glyphTable);
    if (args.printKeys) {
        std::string error;
        if (writeKeyTable(deviceOptions(args), std::cout, &error))
            return 0;
        std::cerr << "kweno-sim: " << error << "\n";
        return 2;
    }

    SessionOptions options;
    options.device = deviceOptions(args);
    options.animate = args.animate;
    if (args.script.empty()) {
        options.scriptText = demonstrationScript();
        options.scriptName = "the built-in demonstration";
    } else {
        if (!readFile(args.script, &options.scriptText)) {
            std::cerr << "kweno-sim: cannot read " << args.script << "\n";
            return 2;
        }
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
