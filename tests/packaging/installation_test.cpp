// The documents written from an installation: what a registry editor imports from the registry file
// is exactly what the device's installer writes from the CAB's _setup.xml, whatever the text holds.
#include <gtest/gtest.h>

#include <emu.h>

#include <cstdio>
#include <regex>

#include "cabinets.h"
#include "installation.h"

namespace {

using namespace installation;

// A value as the registry file names it: the key with its root, the name, the text or a dword in decimal.
struct Imported {
    std::string key, name, data;
};

// A registry file's quoted text with its backslash escapes undone.
std::string unquoted(const std::string &text)
{
    return std::regex_replace(text, std::regex(R"(\\(.))"), "$1");
}

// The values a registry editor imports from a REGEDIT4 file: [ROOT\key] lines, then @= or "name"=
// and a quoted text or dword:hex; comments start with a semicolon.
std::vector<Imported> imported(const std::string &file)
{
    static const std::regex value(R"RE((@|"((?:[^"\\]|\\.)*)")=(?:"((?:[^"\\]|\\.)*)"|dword:([0-9a-f]{8})))RE");
    std::vector<Imported> values;
    std::string key;
    EXPECT_EQ(0u, file.find("REGEDIT4\r\n\r\n")) << "a registry editor reads only files that say what they are";
    for (size_t start = 10, end; start < file.size(); start = end + 2) {
        end = file.find("\r\n", start);
        std::string line = file.substr(start, end - start);
        std::smatch m;
        if (line.size() > 2 && line.front() == '[' && line.back() == ']')
            key = line.substr(1, line.size() - 2);
        else if (std::regex_match(line, m, value))
            values.push_back({key, unquoted(m[2]),
                              m[4].matched ? std::to_string((int32_t)std::stoul(m[4], nullptr, 16)) : unquoted(m[3])});
        else
            EXPECT_TRUE(line.empty() || line[0] == ';') << "a line no registry editor reads: " << line;
    }
    return values;
}

// The value as the device's registry holds it, in the registry file's terms.
std::string installedValue(const Imported &value)
{
    for (const auto &root : {std::make_pair("HKEY_CLASSES_ROOT\\", HKEY_CLASSES_ROOT),
                             std::make_pair("HKEY_CURRENT_USER\\", HKEY_CURRENT_USER),
                             std::make_pair("HKEY_LOCAL_MACHINE\\", HKEY_LOCAL_MACHINE)}) {
        if (value.key.compare(0, strlen(root.first), root.first) == 0)
            return cabinets::installedValue(root.second, value.key.substr(strlen(root.first)), value.name);
    }
    return "<no root>";
}

TEST(Installation, TheRegistryFileImportsWhatTheCabInstalls)
{
    // Each deliverable's, both together, the package that makes one current, and one with settings of
    // the current user whose names and text hold what both documents must escape.
    Installation settings = ofVariant(VARIANTS[VARIANT_DAY], "1.2.3");
    settings.keys.push_back({CURRENT_USER,
                             "ControlPanel\\Sip",
                             {{"DefaultIm", STRING, "say \"hi\" & <go> to C:\\dir\\", false},
                              {"Quoted \"name\"", STRING, "\\\\server\\share", false},
                              {"Count", INTEGER, "-2", false}}});
    for (const Installation &installation :
         {ofVariant(VARIANTS[VARIANT_DAY], "1.2.3"), ofVariant(VARIANTS[VARIANT_NIGHT], "1.2.3"),
          ofVariants({&VARIANTS[VARIANT_DAY], &VARIANTS[VARIANT_NIGHT]}, "1.2.3"),
          asCurrentInputMethod(VARIANTS[VARIANT_NIGHT]), settings}) {
        emuReset();
        std::string cabinet = cabinets::of(installation, {'M', 'Z'});
        char problem[256] = {};
        ASSERT_EQ(1, emuInstallCab(cabinet.c_str(), problem, sizeof problem)) << problem;
        remove(cabinet.c_str());
        size_t values = 0;
        for (const Key &key : installation.keys)
            values += key.values.size();
        std::vector<Imported> fromFile = imported(registryFile(installation));
        EXPECT_EQ(values, fromFile.size()) << installation.appName << ": every value, once";
        for (const Imported &value : fromFile)
            EXPECT_EQ(value.data, installedValue(value)) << value.key << " " << value.name;
        EXPECT_EQ(0, emuViolationCount()) << (emuViolationCount() ? emuViolation(0) : "");
    }
}

} // namespace
