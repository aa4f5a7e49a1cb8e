// kweno-registration: how the device's input-panel host is told of a deliverable, written from the
// panel's variant table: a registry file for a registry editor, the _setup.xml that a CAB hands to
// the device's installer, or the CAB itself.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include <CLI/CLI.hpp>

#include "installation.h"
#include "wholefile.h"

namespace {

// Runs the program with the arguments and waits for it; true when it exits 0.
bool run(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The cabinet as the device's installer reads it, made with gcab (MSZIP): _setup.xml, then each file
// under its member name, every one dated 2000-01-01 so that the same files give the same cabinet.
bool packCabinet(const installation::Installation &installation, const std::string &from, const std::string &gcab,
                 const std::string &cab)
{
    namespace fs = std::filesystem;
    const fs::path stage = cab + ".stage";
    std::error_code error;
    fs::remove_all(stage, error);
    fs::create_directories(stage, error);
    std::vector<std::string> command = {gcab, "--create", "--zip", "--nopath", cab, (stage / "_setup.xml").string()};
    bool ok = !error && writeFile(command.back(), installation::provisioningDocument(installation));
    for (const installation::File &file : installation.files) {
        command.push_back((stage / file.member).string());
        ok = ok && fs::copy_file(fs::path(from) / file.name, command.back(), error);
    }
    const struct timespec date[2] = {{946684800, 0}, {946684800, 0}};
    for (size_t i = 5; ok && i < command.size(); ++i)
        ok = utimensat(AT_FDCWD, command[i].c_str(), date, 0) == 0;
    fs::remove(cab, error);
    ok = ok && run(command);
    fs::remove_all(stage, error);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    CLI::App app{"Writes how the device's input-panel host is told of a deliverable: a registry file, a CAB's "
                 "_setup.xml or the CAB, from the panel's variant table."};
    std::string variantName, format, out, from, gcab;
    app.add_option("--variant", variantName, "the deliverable")->required();
    app.add_option("--format", format, "reg, setup-xml or cab")
        ->required()
        ->check(CLI::IsMember({"reg", "setup-xml", "cab"}));
    app.add_option("--out", out, "the file to write")->required();
    app.add_option("--from", from, "for a CAB: the folder of the files it installs");
    app.add_option("--gcab", gcab, "for a CAB: the gcab program that packs it");
    CLI11_PARSE(app, argc, argv);

    const VariantFacts *variant = nullptr;
    for (const VariantFacts &v : VARIANTS)
        if (variantName == v.name)
            variant = &v;
    if (!variant) {
        fprintf(stderr, "kweno-registration: no deliverable is called \"%s\"\n", variantName.c_str());
        return 2;
    }
    installation::Installation installation = installation::ofVariant(*variant);
    bool ok = format == "cab"   ? packCabinet(installation, from, gcab, out)
              : format == "reg" ? writeFile(out, installation::registryFile(installation))
                                : writeFile(out, installation::provisioningDocument(installation));
    if (!ok) {
        fprintf(stderr, "kweno-registration: cannot write %s\n", out.c_str());
        return 1;
    }
    return 0;
}
