// The documents written from an installation: what a registry editor imports from the registry file
// is exactly what the device's installer writes from the CAB's _setup.xml, whatever the text holds.
#include <gtest/gtest.h>

#include <emu.h>

#include <cstdio>

#include "cabinets.h"
#include "installation.h"

namespace {

using namespace installation;

struct Imported {
    std::string key; // with its root, as the registry file names it
    std::string name;
    std::string data; // the text, or for a dword its number in decimal
};

// A quoted text of the registry file from at, its backslash escapes undone; at ends after it.
std::string unquoted(const std::string &line, size_t &at)
{
    std::string text;
    for (++at; at < line.size() && line[at] != '"'; ++at)
        text += line[at] == '\\' ? line[++at] : line[at];
    ++at;
    return text;
}

// The values a registry editor imports from a REGEDIT4 file: [ROOT\key] lines, then @= or "name"=
// and a quoted text or dword:hex.
std::vector<Imported> imported(const std::string &file)
{
    std::vector<Imported> values;
    std::string key;
    EXPECT_EQ(0u, file.find("REGEDIT4\r\n")) << "a registry editor reads only files that say what they are";
    for (size_t start = 0, end; start < file.size(); start = end + 2) {
        end = file.find("\r\n", start);
        std::string line = file.substr(start, end - start);
        size_t at = 0;
        if (line.empty() || line[0] == ';' || line == "REGEDIT4")
            continue;
        if (line[0] == '[') {
            key = line.substr(1, line.size() - 2);
            continue;
        }
        Imported value{key, line[0] == '@' ? (++at, "") : unquoted(line, at), ""};
        EXPECT_EQ('=', line[at]) << line;
        ++at;
        value.data = line.compare(at, 6, "dword:") == 0
                         ? std::to_string((int32_t)std::stoul(line.substr(at + 6), nullptr, 16))
                         : unquoted(line, at);
        values.push_back(value);
    }
    return values;
}

// The value as the device's registry holds it, in the registry file's terms.
std::string installedValue(const Imported &value)
{
    for (const auto &root : {std::make_pair("HKEY_CLASSES_ROOT\\", HKEY_CLASSES_ROOT),
                             std::make_pair("HKEY_CURRENT_USER\\", HKEY_CURRENT_USER)}) {
        if (value.key.compare(0, strlen(root.first), root.first) == 0)
            return cabinets::installedValue(root.second, value.key.substr(strlen(root.first)), value.name);
    }
    return "<no root>";
}

TEST(Installation, TheRegistryFileImportsWhatTheCabInstalls)
{
    // Each deliverable's, and one with settings of the current user whose names and text hold what
    // both documents must escape.
    Installation settings = ofVariant(VARIANTS[VARIANT_DAY]);
    settings.keys.push_back({CURRENT_USER,
                             "ControlPanel\\Sip",
                             {{"DefaultIm", STRING, "say \"hi\" & <go> to C:\\dir\\", false},
                              {"Quoted \"name\"", STRING, "\\\\server\\share", false},
                              {"Count", INTEGER, "-2", false}}});
    for (const Installation &installation :
         {ofVariant(VARIANTS[VARIANT_DAY]), ofVariant(VARIANTS[VARIANT_NIGHT]), settings}) {
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
