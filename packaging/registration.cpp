// kweno-registration: how the device's input-panel host is told of a deliverable, written from the
// panel's variant table: a registry file for a registry editor, or the CAB with the _setup.xml it
// hands to the device's installer.
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "cabinet.h"
#include "installation.h"
#include "wholefile.h"

// The cabinet as the device's installer reads it: _setup.xml, then each file it installs, from the
// folder, under its name in the cabinet; the resource module from skin instead, when one is named,
// so that the same install (the same name, the same files) ships a designer's pictures.
static bool packInstallation(const installation::Installation &installation, const std::string &from,
                             const std::string &skin, const std::string &gcab, const std::string &cab)
{
    std::string document = installation::provisioningDocument(installation);
    CabinetMembers members = {{"_setup.xml", std::vector<uint8_t>(document.begin(), document.end())}};
    bool ok = true;
    for (const installation::File &file : installation.files) {
        members.emplace_back(file.member, std::vector<uint8_t>());
        bool skinned = !skin.empty() && file.name == installation::resourceModuleName();
        ok = ok && readFile(skinned ? skin : from + "/" + file.name, &members.back().second);
    }
    return ok && packCabinet(gcab, cab, members);
}

int main(int argc, char **argv)
{
    CLI::App app{"Writes how the device's input-panel host is told of deliverables: a registry file or the CAB, "
                 "from the panel's variant table."};
    std::vector<std::string> variantNames;
    std::string format, out, from, skin, gcab, version = KWENO_VERSION;
    bool current = false;
    app.add_option("--variant", variantNames, "a deliverable (again for a CAB of several)")->required();
    app.add_option("--version", version, "the version the install records")->capture_default_str();
    app.add_flag("--current", current, "the package that makes the one deliverable the current input method");
    app.add_option("--format", format, "reg or cab")->required()->check(CLI::IsMember({"reg", "cab"}));
    app.add_option("--out", out, "the file to write")->required();
    app.add_option("--from", from, "for a CAB: the folder of the files it installs");
    app.add_option("--skin", skin, "for a CAB: the resource module to install instead of the folder's")
        ->check(CLI::ExistingFile);
    app.add_option("--gcab", gcab, "for a CAB: the gcab program that packs it");
    CLI11_PARSE(app, argc, argv);

    std::vector<const VariantFacts *> variants;
    for (const std::string &name : variantNames) {
        const VariantFacts *variant = nullptr;
        for (const VariantFacts &v : VARIANTS)
            if (name == v.name)
                variant = &v;
        if (!variant) {
            fprintf(stderr, "kweno-registration: no deliverable is called \"%s\"\n", name.c_str());
            return 2;
        }
        variants.push_back(variant);
    }
    if (current && variants.size() != 1) {
        fprintf(stderr, "kweno-registration: --current makes one deliverable current\n");
        return 2;
    }
    installation::Installation installation =
        current ? installation::asCurrentInputMethod(*variants[0]) : installation::ofVariants(variants, version);
    bool ok = format == "cab" ? packInstallation(installation, from, skin, gcab, out)
                              : writeFile(out, installation::registryFile(installation));
    if (!ok) {
        fprintf(stderr, "kweno-registration: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
