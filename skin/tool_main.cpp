// kweno-skin: checks a resource module for every picture the panel needs, or previews it as PNGs.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "checker.h"

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

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{"Checks a resource module for every picture the panel needs, or previews it as PNG files.",
                 "kweno-skin"};
    app.footer("Exit status: 0 when every picture is sound, 1 on any fault, 2 for a bad command line.");
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

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    if (previewing->parsed())
        return preview(path, folder);
    std::vector<Variant> variants;
    for (Variant v : allVariants)
        if (variantChosen.empty() || variantChosen == VARIANTS[v].shortName)
            variants.push_back(v);
    return check(path, variants);
}
