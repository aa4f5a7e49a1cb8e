// One scripted session: script, handheld, run, files.
#include "session.h"

#include <algorithm>
#include <filesystem>

#include "report.h"

const std::string &demonstrationScript()
{
    static const std::string text =
#include "demo_script.inc"
        ;
    return text;
}

SessionResult runSession(const SessionOptions &options, std::ostream &log)
{
    SessionResult result;
    Script script;
    if (!parseScript(options.scriptText, &script, &result.errors))
        return result;

    if (!options.outDir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options.outDir, ec);
        if (ec) {
            result.errors.push_back("cannot create " + options.outDir + ": " + ec.message());
            return result;
        }
    }

    Device device;
    std::string error;
    if (!device.start(options.device, &error)) {
        result.errors.push_back(error);
        return result;
    }
    log << "kweno-sim: " << variantFacts(options.device.night).shortName << " variant, " << options.scriptName << " ("
        << script.commands.size() << " commands)\n";

    RunOptions runOptions;
    runOptions.outDir = options.outDir;
    runOptions.animate = options.animate;
    runOptions.log = &log;
    Runner runner(device, runOptions);
    bool ran = runner.run(script);
    if (!ran)
        result.errors.push_back(runner.error());
    bool finished = runner.finish();

    result.text = device.host().text();
    result.shots = runner.shots();
    result.programs = runner.programs();
    result.virtualMs = runner.now();
    result.frames = runner.frames();
    if (!options.outDir.empty()) {
        result.textPath = options.outDir + "/text.txt";
        if (options.animate)
            result.animationPath = runner.animationPath();
        Report report;
        report.title = std::string("kweno-sim: ") + (options.scriptName.empty() ? "session" : options.scriptName);
        report.variant = variantFacts(options.device.night).shortName;
        report.script = options.scriptName;
        report.screenWidth = std::min(device.screenWidth(), device.screenHeight());
        report.screenHeight = std::max(device.screenWidth(), device.screenHeight());
        report.animationPath = result.animationPath;
        report.shots = result.shots;
        report.finalText = result.text;
        report.programs = result.programs;
        report.error = ran ? std::string() : runner.error();
        report.virtualMs = result.virtualMs;
        // scripts/web.sh writes the page into out/web, beside the demonstrations' folders.
        std::error_code ec;
        report.webPage = std::filesystem::relative("out/web/index.html", options.outDir, ec).generic_string();
        result.pagePath = options.outDir + "/index.html";
        if (!writeReport(result.pagePath, report, &error)) {
            result.errors.push_back(error);
            finished = false;
        }
    }
    if (!finished && ran)
        result.errors.push_back("some output files could not be written in " + options.outDir);
    result.ok = ran && finished;
    return result;
}
