// kweno-skin: checks a resource module for every picture the panel needs, previews it as PNGs, and packs
// such PNGs, edited, into a module.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "checker.h"
#include "pack.h"
#include "wholefile.h"

using namespace skin;

namespace {

const Variant allVariants[] = {VARIANT_DAY, VARIANT_NIGHT};

int check(const std::string &path, const std::vector<Variant> &variants)
{
    CheckResult result = checkModule(path, variants);
    for (const std::string &fault : result.faults)
        std::printf("%s\n", fault.c_str());
    if (result.ok())
        std::printf("%s: all %d pictures present, decodable and of the right size\n", path.c_str(), result.checked);
    else
        std::printf("%s: %zu faults in %d pictures\n", path.c_str(), result.faults.size(), result.checked);
    return result.ok() ? 0 : 1;
}

int preview(const std::string &path, const std::string &folder)
{
    std::vector<std::string> faults = previewModule(path, folder);
    for (const std::string &fault : faults)
        std::fprintf(stderr, "%s\n", fault.c_str());
    return faults.empty() ? 0 : 1;
}

int pack(const std::string &folder, const std::string &output, const std::string &formatName, int bits,
         const std::string &version, bool quiet)
{
    StoredFormat format = STORED_PNG;
    storedFormatFromName(formatName, &format);
    PackResult result = packFolder(folder, format, bits, version);
    if (!quiet)
        for (const std::string &warning : result.warnings)
            std::fprintf(stderr, "warning: %s\n", warning.c_str());
    for (const std::string &refusal : result.refusals)
        std::fprintf(stderr, "%s\n", refusal.c_str());
    if (!result.ok()) {
        std::fprintf(stderr, "%s: not written: %zu pictures refused\n", output.c_str(), result.refusals.size());
        return 1;
    }
    std::error_code ec;
    std::filesystem::path parent = std::filesystem::path(output).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    if (!writeFile(output, result.module)) {
        std::fprintf(stderr, "cannot write %s\n", output.c_str());
        return 1;
    }
    if (!quiet)
        std::printf("%s: %zu bytes, every picture of %s at most %d colours, as %s\n", output.c_str(),
                    result.module.size(), folder.c_str(), 1 << bits, formatName.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{
        "Checks a resource module for every picture the panel needs, previews it as PNG files, or packs such files "
        "into a module.",
        "kweno-skin"};
    app.footer("Exit status: 0 when every picture is sound, 1 on any fault or refusal, 2 for a bad command line.");
    app.require_subcommand(1);
    // An option given twice takes the last; the subcommands inherit this.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    std::string path, folder, variantChosen;
    CLI::App *checking =
        app.add_subcommand("check", "prints a line for each picture the panel needs that is missing or wrong");
    checking->add_option("FILE", path, "the resource module, such as KWENO_Resources.dll")->required()->type_name("");
    std::vector<std::string> variantNames;
    for (Variant v : allVariants)
        variantNames.push_back(VARIANTS[v].shortName);
    checking->add_option("--variant", variantChosen, "only the pictures this variant needs (default: both)")
        ->check(CLI::IsMember(variantNames))
        ->type_name("VARIANT");

    CLI::App *previewing = app.add_subcommand("preview", "writes a PNG of every picture of the module into OUTDIR");
    previewing->add_option("FILE", path, "the resource module")->required()->type_name("");
    previewing->add_option("OUTDIR", folder, "the folder for the PNG files, named for what they show")
        ->required()
        ->type_name("");

    std::string output, formatName = KWENO_SKIN_FORMAT, version = KWENO_VERSION;
    int bits = KWENO_SKIN_BITS;
    bool quiet = false;
    CLI::App *packing = app.add_subcommand(
        "pack", "packs a folder of PNG files named as preview writes them into a resource module for the device");
    packing->add_option("FOLDER", folder, "the pictures, one PNG file each, as preview writes them")
        ->required()
        ->type_name("");
    packing->add_option("-o,--output", output, "the module to write, such as KWENO_Resources.dll")
        ->required()
        ->type_name("FILE");
    packing->add_option("--format", formatName, "how faces and popups are stored")
        ->check(CLI::IsMember({"png", "gif", "bmp"}))
        ->type_name("FORMAT")
        ->capture_default_str();
    packing->add_option("--bits", bits, "at most 2^bits colours in each picture")
        ->check(CLI::IsMember({4, 8}))
        ->type_name("BITS")
        ->capture_default_str();
    // What the file's properties and a fleet's inventory show: one to four numbers below 65536.
    packing->add_option("--version", version, "the version its version resource says")
        ->check(CLI::Validator(
            [](std::string &v) {
                std::string bad = "not one to four numbers below 65536 apart by dots";
                if (!std::regex_match(v, std::regex("[0-9]{1,5}(\\.[0-9]{1,5}){0,3}")))
                    return bad;
                std::istringstream parts(v);
                for (std::string part; std::getline(parts, part, '.');)
                    if (std::stol(part) > 65535)
                        return bad;
                return std::string();
            },
            "VERSION"))
        ->capture_default_str();
    packing->add_flag("--quiet", quiet, "say nothing but refusals");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (previewing->parsed())
        return preview(path, folder);
    if (packing->parsed())
        return pack(folder, output, formatName, bits, version, quiet);
    std::vector<Variant> variants;
    for (Variant v : allVariants)
        if (variantChosen.empty() || variantChosen == VARIANTS[v].shortName)
            variants.push_back(v);
    return check(path, variants);
}
