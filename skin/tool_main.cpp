// kweno-skin: checks a resource module for every picture the panel needs, or previews it as PNGs.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "checker.h"

using namespace skin;

namespace {

const char USAGE[] = "usage: kweno-skin check FILE.dll [--variant day|night]\n"
                     "       kweno-skin preview FILE.dll OUTDIR\n";

int usage()
{
    std::fputs(USAGE, stderr);
    return 2;
}

int check(int argc, char **argv)
{
    std::vector<Variant> variants = {VARIANT_DAY, VARIANT_NIGHT};
    if (argc == 5 && std::strcmp(argv[3], "--variant") == 0) {
        if (std::strcmp(argv[4], "day") == 0)
            variants = {VARIANT_DAY};
        else if (std::strcmp(argv[4], "night") == 0)
            variants = {VARIANT_NIGHT};
        else
            return usage();
    } else if (argc != 3) {
        return usage();
    }
    CheckResult result = checkModule(argv[2], variants);
    for (const std::string &fault : result.faults)
        std::printf("%s\n", fault.c_str());
    if (result.ok())
        std::printf("%s: all %d pictures present, decodable and of the right size\n", argv[2], result.checked);
    else
        std::printf("%s: %zu faults in %d pictures\n", argv[2], result.faults.size(), result.checked);
    return result.ok() ? 0 : 1;
}

int preview(int argc, char **argv)
{
    if (argc != 4)
        return usage();
    std::vector<std::string> faults = previewModule(argv[2], argv[3]);
    for (const std::string &fault : faults)
        std::fprintf(stderr, "%s\n", fault.c_str());
    return faults.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "check") == 0)
        return check(argc, argv);
    if (argc >= 2 && std::strcmp(argv[1], "preview") == 0)
        return preview(argc, argv);
    return usage();
}
