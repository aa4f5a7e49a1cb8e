// What was built for the device, read as the device reads it: each DLL's headers, sections,
// imports and exports through the emulation's PE reader, checked against the import lists the
// build links with; each CAB installed on a fresh emulated device. The checks are shown to fail on
// damaged copies of the real DLLs.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <emu.h>

#include "bytes.h"
#include "cabinets.h"
#include "pe/pe.h"
#include "pebuilder.h"
#include "peformat.h"
#include "server/variants.h"
#include "text.h"
#include "wholefile.h"

namespace {

using namespace emu;

typedef std::vector<uint8_t> Bytes;

// What a .def file lets a module import: each name, or "@ordinal" for a function without one.
std::set<std::string> importList(const std::string &defFile, std::string *library)
{
    std::ifstream in(defFile);
    std::set<std::string> names;
    bool exports = false;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string first, second, third;
        words >> first >> second >> third;
        if (first.empty() || first[0] == ';')
            continue;
        if (first == "LIBRARY")
            *library = second;
        else if (first == "EXPORTS")
            exports = true;
        else if (exports)
            names.insert(third == "NONAME" ? second : first);
    }
    return names;
}

// Everything the device asks of a panel DLL that the bytes can show; empty when it is fit.
std::vector<std::string> problemsOf(const Bytes &dll, const VariantFacts &variant)
{
    std::vector<std::string> problems;
    if (dll.size() < 0x40 || dll[0] != 'M' || dll[1] != 'Z' || le32(&dll[PE_SIGNATURE_POINTER]) + 0x78 > dll.size())
        return {"not a PE file"};
    const uint8_t *pe = &dll[le32(&dll[PE_SIGNATURE_POINTER])];
    const uint8_t *coff = pe + FILE_HEADER_AT, *optional = pe + OPTIONAL_HEADER_AT;
    if (le16(coff) != IMAGE_FILE_MACHINE_ARM)
        problems.push_back("machine is not ARM (0x01C0)");
    if (!(le16(coff + FILE_CHARACTERISTICS) & IMAGE_FILE_DLL))
        problems.push_back("not marked as a DLL");
    if (le32(coff + FILE_TIME_STAMP) != 0)
        problems.push_back("has a time stamp");
    if (le16(optional + OPTIONAL_SUBSYSTEM) != IMAGE_SUBSYSTEM_WINDOWS_CE_GUI)
        problems.push_back("subsystem is not Windows CE GUI");
    if (le16(optional + OPTIONAL_OS_VERSION) != 5 || le16(optional + OPTIONAL_OS_VERSION + 2) != 0)
        problems.push_back("OS version is not 5.00");
    if (le16(optional + OPTIONAL_SUBSYSTEM_VERSION) != 5 || le16(optional + OPTIONAL_SUBSYSTEM_VERSION + 2) != 0)
        problems.push_back("subsystem version is not 5.00");

    emu::PeImagePlan plan;
    std::string why;
    if (!emu::planPeImage(dll.data(), dll.size(), &plan, &why)) {
        problems.push_back("the loader refuses it: " + why);
        return problems;
    }
    if (!plan.relocatable || plan.relocations.empty())
        problems.push_back("no base relocations");
    if (!plan.entryPoint)
        problems.push_back("no entry point");
    for (const emu::PeMappedSection &s : plan.sections) {
        if (s.execute && s.write)
            problems.push_back("a writable code section");
        if (s.execute && plan.entryPoint >= s.rva && plan.entryPoint < s.rva + s.size)
            plan.entryPoint = 0; // found in code
    }
    if (plan.entryPoint)
        problems.push_back("the entry point is not in a code section");

    std::set<std::string> exports;
    for (const emu::PeExport &e : plan.exports)
        exports.insert(e.name.empty() ? "@" + std::to_string(e.ordinal) : e.name);
    if (exports != std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject"})
        problems.push_back("exports other than DllGetClassObject and DllCanUnloadNow");

    // Every import from a module the build links with, of a function its list names; and each list
    // imported whole, so that it stays the list of what the panel calls.
    std::map<std::string, std::set<std::string>> allowed, imported;
    for (const char *def : {"coredll.def", "aygshell.def"}) {
        std::string library;
        std::set<std::string> names = importList(std::string(KWENO_DEVICE_SOURCE_DIR) + "/" + def, &library);
        for (char &c : library)
            c = (char)toupper((unsigned char)c);
        allowed[library] = names;
    }
    for (const emu::PeImport &i : plan.imports) {
        std::string library = i.module;
        for (char &c : library)
            c = (char)toupper((unsigned char)c);
        std::string name = i.name.empty() ? "@" + std::to_string(i.ordinal) : i.name;
        if (!allowed.count(library))
            problems.push_back("imports " + name + " from " + i.module + ", which the device build does not link with");
        else if (!allowed[library].count(name))
            problems.push_back("imports " + name + " from " + i.module + ", which its list does not name");
        imported[library].insert(name);
    }
    for (const auto &list : allowed)
        if (imported[list.first] != list.second && imported.count(list.first))
            problems.push_back("does not import all that the list of " + list.first + " names");

    // Its own class identifier, and not the other variant's.
    for (const VariantFacts &v : VARIANTS) {
        const uint8_t *id = reinterpret_cast<const uint8_t *>(&v.classId);
        bool found = std::search(dll.begin(), dll.end(), id, id + sizeof v.classId) != dll.end();
        if (found != (&v == &variant))
            problems.push_back(std::string(found ? "holds " : "lacks ") + "the class identifier of " + v.name);
    }
    return problems;
}

std::string device(const std::string &file)
{
    return std::string(KWENO_DEVICE_DIR) + "/" + file;
}

class DeviceFiles : public ::testing::TestWithParam<VariantIndex> {
  protected:
    const VariantFacts &variant() const { return VARIANTS[GetParam()]; }
    std::string dllName() const { return std::string(variant().name) + ".dll"; }
};

TEST_P(DeviceFiles, TheDllIsWhatTheDeviceLoads)
{
    Bytes dll = wholeFile(device(dllName()));
    ASSERT_FALSE(dll.empty()) << device(dllName());
    std::vector<std::string> problems = problemsOf(dll, variant());
    for (const std::string &p : problems)
        ADD_FAILURE() << dllName() << ": " << p;
}

// Damaged copies of the real DLL, each with the problem the check must name.
struct Damage {
    const char *what;
    void (*apply)(Bytes &dll);
    const char *problem;
};

size_t sectionHeader(const Bytes &dll, const char *name)
{
    size_t pe = le32(&dll[PE_SIGNATURE_POINTER]), coff = pe + FILE_HEADER_AT;
    size_t table = pe + OPTIONAL_HEADER_AT + le16(&dll[coff + FILE_OPTIONAL_SIZE]);
    for (unsigned i = 0; i < le16(&dll[coff + FILE_SECTION_COUNT]); ++i)
        if (strncmp((const char *)&dll[table + SECTION_HEADER_SIZE * i], name, 8) == 0)
            return table + SECTION_HEADER_SIZE * i;
    return 0;
}

void replaceText(Bytes &dll, const char *from, const char *to)
{
    auto at = std::search(dll.begin(), dll.end(), from, from + strlen(from) + 1);
    if (at != dll.end())
        std::copy(to, to + strlen(to) + 1, at);
}

const Damage damages[] = {
    {"a writable code section",
     [](Bytes &dll) {
         size_t flags = sectionHeader(dll, ".text") + SECTION_CHARACTERISTICS;
         pebuilder::put32(dll, flags, le32(&dll[flags]) | IMAGE_SCN_MEM_WRITE);
     },
     "a writable code section"},
    {"malloc from msvcrt.dll", [](Bytes &dll) { replaceText(dll, "COREDLL.dll", "msvcrt.dll"); },
     "which the device build does not link with"},
    {"a function COREDLL's list does not name", [](Bytes &dll) { replaceText(dll, "memset", "memcmp"); },
     "imports memcmp from COREDLL.dll, which its list does not name"},
    {"a time stamp", [](Bytes &dll) { dll[le32(&dll[PE_SIGNATURE_POINTER]) + FILE_HEADER_AT + FILE_TIME_STAMP] = 1; },
     "has a time stamp"},
    {"Windows Mobile 6's subsystem version",
     [](Bytes &dll) {
         dll[le32(&dll[PE_SIGNATURE_POINTER]) + OPTIONAL_HEADER_AT + OPTIONAL_SUBSYSTEM_VERSION + 2] = 2;
     },
     "subsystem version is not 5.00"},
};

TEST_P(DeviceFiles, TheCheckNamesWhatADamagedCopyGetsWrong)
{
    const Bytes dll = wholeFile(device(dllName()));
    ASSERT_FALSE(dll.empty());
    for (const Damage &d : damages) {
        Bytes copy = dll;
        d.apply(copy);
        std::vector<std::string> problems = problemsOf(copy, variant());
        bool named = false;
        for (const std::string &p : problems)
            named = named || p.find(d.problem) != std::string::npos;
        EXPECT_TRUE(named) << d.what << ": expected a problem saying \"" << d.problem << "\", got "
                           << ::testing::PrintToString(problems);
    }
}

std::string classKey(const VariantFacts &v)
{
    return "CLSID\\" + utf8FromUtf16(reinterpret_cast<const char16_t *>(v.classIdText));
}

// The CAB read back as the device's installer reads it (the cabinet with libgcab, its _setup.xml
// with libxml2): every file it installs is the one built, and the class it registers is the
// DLL's own.
TEST_P(DeviceFiles, TheCabInstallsTheBuiltFilesAndRegistersTheVariant)
{
    emuReset();
    char problem[256] = {};
    ASSERT_EQ(1, emuInstallCab(device(std::string(variant().name) + ".cab").c_str(), problem, sizeof problem))
        << problem;
    for (const std::string file : {dllName(), std::string("KWENO_Resources.dll")}) {
        Bytes built = wholeFile(device(file));
        std::string ce = "\\Windows\\" + file;
        long long size = emuReadFile(ce.c_str(), nullptr, 0);
        Bytes installed(size > 0 ? (size_t)size : 0);
        emuReadFile(ce.c_str(), installed.data(), installed.size());
        EXPECT_TRUE(!built.empty() && built == installed) << ce << " is not the built " << file;
    }
    std::string dll = "\\Windows\\" + dllName();
    std::string key = classKey(variant());
    EXPECT_EQ(variant().displayName, cabinets::installedValue(HKEY_CLASSES_ROOT, key));
    EXPECT_EQ(dll, cabinets::installedValue(HKEY_CLASSES_ROOT, key + "\\InprocServer32"));
    EXPECT_EQ("1", cabinets::installedValue(HKEY_CLASSES_ROOT, key + "\\IsSIPInputMethod"));
    EXPECT_EQ(dll + ",0", cabinets::installedValue(HKEY_CLASSES_ROOT, key + "\\DefaultIcon"));
    const VariantFacts &other = VARIANTS[GetParam() == VARIANT_DAY ? VARIANT_NIGHT : VARIANT_DAY];
    EXPECT_EQ("<no key>", cabinets::installedValue(HKEY_CLASSES_ROOT, classKey(other)));
    EXPECT_EQ(0, emuViolationCount()) << (emuViolationCount() ? emuViolation(0) : "");
}

// Each file's version resource, as the device's file properties show it, read with the emulation's
// resource reader: the build's version in the device folder, the next one in the upgrade's.
TEST(DeviceFileVersions, EveryFileCarriesItsBuildsVersion)
{
    const struct {
        const char *folder;
        std::string version;
    } builds[] = {{KWENO_DEVICE_DIR, KWENO_VERSION}, {KWENO_UPGRADE_DIR, KWENO_NEXT_VERSION}};
    for (const auto &build : builds) {
        for (const std::string file :
             {std::string(VARIANTS[VARIANT_DAY].name) + ".dll", std::string(VARIANTS[VARIANT_NIGHT].name) + ".dll",
              std::string("KWENO_Resources.dll")}) {
            std::string path = std::string(build.folder) + "/" + file;
            Bytes bytes = wholeFile(path);
            EmuModuleFile inspected;
            emuInspectModuleFile(bytes.data(), bytes.size(), &inspected);
            ASSERT_TRUE(inspected.hasVersion) << path;
            EXPECT_EQ(build.version + ".0", inspected.fileVersion) << path;
            EXPECT_EQ(build.version + ".0", inspected.productVersion) << path;
            EXPECT_EQ(build.version, inspected.fileVersionText) << path;
            EXPECT_EQ(build.version, inspected.productVersionText) << path;
            EXPECT_STREQ("kweno", inspected.productName) << path;
            EXPECT_NE("", std::string(inspected.fileDescription)) << path;
        }
    }
    // A module without one says so.
    Bytes bare = pebuilder::build({{10, 1, {1, 2, 3}, u"", u""}}, pebuilder::pe32, IMAGE_FILE_MACHINE_ARM);
    EmuModuleFile inspected;
    emuInspectModuleFile(bare.data(), bare.size(), &inspected);
    EXPECT_TRUE(inspected.isModule);
    EXPECT_FALSE(inspected.hasVersion);
    EXPECT_STREQ("", inspected.fileVersionText);
}

INSTANTIATE_TEST_SUITE_P(Variants, DeviceFiles, ::testing::Values(VARIANT_DAY, VARIANT_NIGHT),
                         [](const ::testing::TestParamInfo<VariantIndex> &info) {
                             return std::string(VARIANTS[info.param].name);
                         });

} // namespace
