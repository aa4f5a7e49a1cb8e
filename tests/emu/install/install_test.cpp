// Tests of the device's installer on cabinets made with gcab: a whole install, the CE strings and
// translations, and cabinets refused whole.
#include <gtest/gtest.h>

#include <windows.h>

#include <unistd.h>

#include <cstring>
#include <string>

#include "cabinets.h"
#include "emu.h"
#include "pebuilder.h"
#include "wholefile.h"

namespace {

using cabinets::Bytes;

// The day panel's installation, as the device build packs it, without its version value: the
// document below writes values of both types under that key.
const installation::Installation day = [] {
    installation::Installation product = installation::ofVariant(VARIANTS[VARIANT_DAY], "1.2.3");
    product.keys.pop_back();
    return product;
}();

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The device build's document, with a folder of its own holding a file, and two values in another
// root.
std::string document()
{
    installation::Installation more = day;
    more.files.push_back({"readme.txt", "README.TXT", "%CE1%\\kweno"});
    more.keys.push_back(
        {installation::LOCAL_MACHINE,
         "Software\\kweno",
         {{"Version", installation::INTEGER, "-2", false}, {"Name", installation::STRING, "kweno", false}}});
    return installation::provisioningDocument(more);
}

Bytes sz(const std::u16string &text)
{
    Bytes b;
    for (char16_t c : text + u'\0') {
        b.push_back((uint8_t)c);
        b.push_back((uint8_t)(c >> 8));
    }
    return b;
}

Bytes dword(uint32_t v)
{
    return {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)};
}

class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override { emuReset(); }
    void TearDown() override
    {
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << emuViolation(i);
    }

    // The panel spans three compressed blocks; the resource module is one.
    cabinets::Members members()
    {
        Bytes big(70000);
        uint32_t x = 1;
        for (uint8_t &b : big)
            b = (uint8_t)((x = x * 1103515245u + 12345u) >> 24);
        Bytes module = pebuilder::build({{10, 1, {1, 2, 3}, u"", u""}}, pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
        return {{day.files[0].member, big}, {day.files[1].member, module}, {"README.TXT", {'h', 'i'}}};
    }

    // Installs the cabinet and takes it away.
    int install(const std::string &cabinet)
    {
        char problem[256];
        memset(problem, 'x', sizeof problem);
        int ok = emuInstallCab(cabinet.c_str(), problem, sizeof problem);
        problem_ = problem;
        remove(cabinet.c_str());
        return ok;
    }

    static Bytes fileAt(const char *cePath)
    {
        Bytes b(1 << 17, 0xCD);
        long long size = emuReadFile(cePath, b.data(), b.size());
        b.resize(size < 0 ? 0 : (size_t)size);
        return b;
    }

    static Bytes valueAt(HKEY root, const WCHAR *key, const WCHAR *name, DWORD *type)
    {
        HKEY k = nullptr;
        Bytes b(512, 0xCD);
        DWORD size = (DWORD)b.size();
        *type = 0xDEADBEEF;
        if (RegOpenKeyExW(root, key, 0, 0, &k) != ERROR_SUCCESS)
            return {};
        LONG status = RegQueryValueExW(k, name, nullptr, type, b.data(), &size);
        RegCloseKey(k);
        b.resize(status == ERROR_SUCCESS ? size : 0);
        return b;
    }

    // Nothing of the base document is there: no file, no folder, no key.
    void expectNothingInstalled(const std::string &context)
    {
        for (const char *path :
             {"\\Windows\\kweno.dll", "\\Windows\\KWENO_Resources.dll", "\\Program Files\\kweno\\readme.txt"})
            EXPECT_EQ(-1, emuReadFile(path, nullptr, 0)) << context << ": " << path;
        EXPECT_FALSE(emuFolderExists("\\Program Files\\kweno")) << context;
        HKEY k = nullptr;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, 0, &k)) << context;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, 0, &k)) << context;
    }

    std::string problem_;
};

const std::u16string dayKey = u"CLSID\\{91C40DFC-6B41-456F-A2E4-4AA7363198B7}";

TEST_F(InstallTest, EveryFileAndValueOfTheDocumentIsInstalled)
{
    // A resource module of another content in the mapped \Windows: the installed one comes first.
    std::string windows = ::testing::TempDir() + "kweno_windows_" + std::to_string(getpid());
    ASSERT_EQ(0, system(("mkdir -p '" + windows + "'").c_str()));
    ASSERT_TRUE(writeFile(windows + "/KWENO_Resources.dll", Bytes{'M', 'Z'}));
    emuMapFolder("\\Windows", windows.c_str());

    cabinets::Members files = members();
    ASSERT_EQ(1, install(cabinets::make(document().c_str(), files))) << problem_;
    EXPECT_EQ("", problem_);
    EXPECT_EQ(files[0].second, fileAt("\\Windows\\kweno.dll"));
    EXPECT_EQ(files[1].second, fileAt("\\windows\\kweno_resources.dll")) << "names ignore case";
    EXPECT_EQ(files[2].second, fileAt("\\Program Files\\kweno\\readme.txt"));
    EXPECT_TRUE(emuFolderExists("\\Program Files\\kweno")) << "MakeDir";
    HMODULE module = LoadLibraryExW(L"\\Windows\\KWENO_Resources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(nullptr, module) << "the loader finds the installed file, not the mapped one; error " << GetLastError();
    FreeLibrary(module);

    static const struct {
        HKEY root;
        std::u16string key;
        const WCHAR *name;
        DWORD type;
        Bytes data;
    } values[] = {
        {HKEY_CLASSES_ROOT, dayKey, L"", REG_SZ, sz(u"kweno")},
        {HKEY_CLASSES_ROOT, dayKey + u"\\InprocServer32", nullptr, REG_SZ, sz(u"\\Windows\\kweno.dll")},
        {HKEY_CLASSES_ROOT, dayKey + u"\\IsSIPInputMethod", L"", REG_SZ, sz(u"1")},
        {HKEY_CLASSES_ROOT, dayKey + u"\\DefaultIcon", L"", REG_SZ, sz(u"\\Windows\\kweno.dll,0")},
        {HKEY_LOCAL_MACHINE, u"Software\\kweno", L"Version", REG_DWORD, dword(0xFFFFFFFE)},
        {HKEY_LOCAL_MACHINE, u"Software\\kweno", L"Name", REG_SZ, sz(u"kweno")},
    };
    for (const auto &v : values) {
        DWORD type;
        EXPECT_EQ(v.data, valueAt(v.root, (const WCHAR *)v.key.c_str(), v.name, &type)) << "value " << &v - values;
        EXPECT_EQ(v.type, type) << "value " << &v - values;
    }
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));

    emuReset();
    EXPECT_EQ(-1, emuReadFile("\\Windows\\kweno.dll", nullptr, 0)) << "a reset takes the device's files";
    EXPECT_FALSE(emuFolderExists("\\Program Files\\kweno"));
    system(("rm -r '" + windows + "'").c_str());
}

// An install kept by its name: a second one of the name replaces it (a refused one does not), a
// file a loaded module holds waits for the soft reset, and removing it gives back every value it
// replaced, takes every key, folder and file it made, and shows the mapped file it had covered.
TEST_F(InstallTest, AnInstallIsUpgradedInPlaceAndRemovedInReverse)
{
    std::string windows = ::testing::TempDir() + "kweno_rom_" + std::to_string(getpid());
    ASSERT_EQ(0, system(("mkdir -p '" + windows + "'").c_str()));
    ASSERT_TRUE(writeFile(windows + "/KWENO_Resources.dll", Bytes{'M', 'Z'}));
    emuMapFolder("\\Windows", windows.c_str());
    emuRegSetString("HKLM\\Software\\kweno", "Name", REG_SZ, "the device's own");
    const std::string before = emuRegistryText();

    cabinets::Members files = members();
    ASSERT_EQ(EMU_INSTALLED, install(cabinets::make(document().c_str(), files))) << problem_;
    HMODULE held = LoadLibraryExW(L"\\Windows\\KWENO_Resources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, held);
    cabinets::Members newer = files;
    newer[1].second.push_back(0);
    EXPECT_EQ(0, install(cabinets::make(replaced(document(), "\"Extract\"", "\"Copy\"").c_str(), newer)));
    EXPECT_STREQ(day.appName.c_str(), emuInstalledApp(0)) << "a refused upgrade leaves the install as it was";
    EXPECT_EQ(EMU_RESTART_REQUIRED, install(cabinets::make(document().c_str(), newer)));
    EXPECT_EQ("You must restart the device to complete the installation", problem_);
    EXPECT_EQ(files[1].second, fileAt("\\Windows\\KWENO_Resources.dll")) << "in use until the restart";
    EXPECT_STREQ(day.appName.c_str(), emuInstalledApp(0));
    EXPECT_EQ(nullptr, emuInstalledApp(1)) << "one install of the name";
    emuSoftReset();
    EXPECT_EQ(newer[1].second, fileAt("\\Windows\\KWENO_Resources.dll"));
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));

    char problem[128];
    EXPECT_EQ(EMU_INSTALLED, emuUninstall("KWENO INPUT METHOD", problem, sizeof problem)) << problem;
    EXPECT_EQ(before, emuRegistryText());
    EXPECT_EQ((Bytes{'M', 'Z'}), fileAt("\\Windows\\KWENO_Resources.dll")) << "the mapped file shows again";
    EXPECT_EQ(-1, emuReadFile("\\Windows\\kweno.dll", nullptr, 0));
    EXPECT_FALSE(emuFolderExists("\\Program Files\\kweno"));
    EXPECT_EQ(0, emuUninstall(day.appName.c_str(), problem, sizeof problem));
    EXPECT_EQ("no install is called \"" + day.appName + "\"", std::string(problem));
    system(("rm -r '" + windows + "'").c_str());
}

// Each value is written under its translation: "install" puts the folder of each CE string in its
// place and makes doubled backslashes single, "filesystem" only the latter, none leaves the text.
TEST_F(InstallTest, ValuesAreTranslatedAndTyped)
{
    static const struct {
        const char *datatype;
        const char *value;
        const char *translation;
        Bytes expected;
    } rows[] = {
        {"string", "%CE1%\\\\kweno\\\\x", "install", sz(u"\\Program Files\\kweno\\x")},
        {"string", "%CE17%\\a%CE5%", "install", sz(u"\\Windows\\Start Menu\\a\\My Documents")},
        {"string", "%CE11%", "install", sz(u"\\Windows\\Start Menu\\Programs")},
        {"string", "%ce2% 100%", "install", sz(u"%ce2% 100%")}, // CE strings are upper case; % alone is text
        {"string", "%CE2%\\\\x", "filesystem", sz(u"%CE2%\\x")},
        {"string", "%CE2%\\\\x", nullptr, sz(u"%CE2%\\\\x")},
        {"integer", "-2147483648", nullptr, dword(0x80000000)},
        {"integer", "2147483647", nullptr, dword(0x7FFFFFFF)},
    };
    const int n = sizeof rows / sizeof rows[0];
    std::string doc = "<wap-provisioningdoc><characteristic type=\"Install\">"
                      "<parm name=\"InstallPhase\" value=\"install\"/><parm name=\"AppName\" value=\"t\"/>"
                      "<parm name=\"NumDirs\" value=\"0\"/><parm name=\"NumFiles\" value=\"0\"/>"
                      "<parm name=\"NumRegKeys\" value=\"1\"/><parm name=\"NumShortcuts\" value=\"0\"/>"
                      "<parm name=\"NumRegVals\" value=\"" +
                      std::to_string(n) + "\"/></characteristic><characteristic type=\"Registry\">" +
                      "<characteristic type=\"HKEY_CURRENT_USER\\Software\\kweno\">";
    for (int i = 0; i < n; ++i)
        doc += "<parm name=\"v" + std::to_string(i) + "\" value=\"" + rows[i].value + "\" datatype=\"" +
               rows[i].datatype + "\"" +
               (rows[i].translation ? std::string(" translation=\"") + rows[i].translation + "\"" : std::string()) +
               "/>";
    doc += "</characteristic></characteristic></wap-provisioningdoc>";

    ASSERT_EQ(1, install(cabinets::make(doc.c_str(), {}))) << problem_;
    for (int i = 0; i < n; ++i) {
        DWORD type;
        std::u16string name = u"v" + std::u16string(1, (char16_t)('0' + i));
        EXPECT_EQ(rows[i].expected, valueAt(HKEY_CURRENT_USER, L"Software\\kweno", (const WCHAR *)name.c_str(), &type))
            << rows[i].value;
        EXPECT_EQ(std::string(rows[i].datatype) == "string" ? (DWORD)REG_SZ : (DWORD)REG_DWORD, type) << rows[i].value;
    }
}

// A document with anything the installer does not know, or a file the cabinet lacks, is refused
// whole: the reason names the line, and nothing of it is installed.
TEST_F(InstallTest, BadDocumentsAreRefusedWhole)
{
    static const struct {
        const char *from;
        const char *to;
        const char *problem; // its beginning
    } rows[] = {
        {"\"Extract\"", "\"Shortcut\"", "_setup.xml line 17: unknown characteristic \"Shortcut\""},
        {"\"AppName\"", "\"AppTitle\"", "_setup.xml line 5: unknown parm \"AppTitle\" in the Install characteristic"},
        {"value=\"kweno\" datatype=\"string\"", "value=\"kweno\"", "_setup.xml line 38: parm \"\" has no datatype"},
        {"datatype=\"string\"", "datatype=\"float\"", "_setup.xml line 38: unknown datatype \"float\""},
        {"%CE2%\\kweno.dll\"", "%CE3%\\kweno.dll\"", "_setup.xml line 41: unknown CE string \"%CE3%\""},
        {"translation=\"install\"", "translation=\"device\"", "_setup.xml line 6: unknown translation \"device\""},
        {day.files[1].member.c_str(), "KWENO.009", "_setup.xml line 23: Source \"KWENO.009\" is not in the cabinet"},
        {"</wap-provisioningdoc>", "</wap-provisioningdo>", "_setup.xml line 54: malformed XML: "},
        {"NumFiles\" value=\"3\"", "NumFiles\" value=\"2\"", "_setup.xml line 8: NumFiles says 2, the document has 3"},
        {"\"-2\"", "\"2147483648\"",
         "_setup.xml line 50: parm \"Version\": \"2147483648\" is not a signed 32-bit integer"},
        {"<characteristic type=\"MakeDir\"/>\n      <characteristic type=\"readme.txt\"",
         "<characteristic type=\"readme.txt\"",
         "_setup.xml line 28: folder \"\\Program Files\\kweno\" does not exist and the document does not make it"},
        {"HKLM\\Software", "HKU\\Software", "_setup.xml line 49: key \"HKU\\Software\\kweno\" is under no root"},
        {"HKLM\\Software\\kweno", "HKLM\\Software\\\\kweno",
         "_setup.xml line 49: key \"HKLM\\Software\\\\kweno\": a key name cannot hold a backslash"},
        {"type=\"kweno.dll\" translation=\"install\"", "type=\"kweno.dll\"",
         "_setup.xml line 16: unknown characteristic \"kweno.dll\" (a file's name carries a translation)"},
        {"\"Install\"", "\"Setup\"", "_setup.xml line 3: the Install characteristic comes first, and only once"},
        {"<wap-provisioningdoc>", "<!DOCTYPE wap-provisioningdoc [<!ENTITY e \"x\">]>\n<wap-provisioningdoc>",
         "_setup.xml line 1: a document type declaration"},
    };
    for (const auto &row : rows) {
        std::string doc = replaced(document(), row.from, row.to);
        EXPECT_EQ(0, install(cabinets::make(doc.c_str(), members()))) << row.to;
        EXPECT_EQ(row.problem, problem_.substr(0, strlen(row.problem))) << row.to;
        expectNothingInstalled(row.to);
    }
}

TEST_F(InstallTest, CabinetsTheInstallerCannotUseAreRefusedWhole)
{
    std::string good = cabinets::make(document().c_str(), members()), bare = cabinets::make(nullptr, members());
    Bytes cabinet = wholeFile(good), noSetup = wholeFile(bare);
    remove(bare.c_str());
    ASSERT_GT(cabinet.size(), 60u);
    Bytes cut(cabinet.begin(), cabinet.begin() + cabinet.size() / 2);
    // The first member's size (CFFILE.cbFile, where CFHEADER.coffFiles points) claims 4 GiB.
    Bytes huge = cabinet;
    size_t firstFile = emu::le16(&cabinet[16]);
    pebuilder::put32(huge, firstFile, 0xFFFFFFFF);
    // The first folder (CFFOLDER.typeCompress, after the 36-byte CFHEADER) says LZX.
    Bytes lzx = cabinet;
    pebuilder::put16(lzx, 36 + 6, 3);

    const struct {
        Bytes bytes;
        const char *problem;
    } rows[] = {
        {noSetup, "the cabinet holds no _setup.xml"},
        {Bytes(cabinet.begin(), cabinet.begin() + 40), "not a cabinet libgcab can read: "},
        {cut, "the cabinet cannot be decompressed: "},
        {huge, "the cabinet's files would take 42949"},
        {lzx, "the cabinet's compression 3 is neither none nor MSZIP"},
    };
    for (const auto &row : rows) {
        char problem[64];
        EXPECT_EQ(0, emuInstallCabBytes(row.bytes.data(), row.bytes.size(), problem, sizeof problem)) << row.problem;
        EXPECT_EQ(std::string(row.problem), std::string(problem).substr(0, strlen(row.problem)));
        expectNothingInstalled(row.problem);
    }
    EXPECT_EQ(0, install(good + ".missing"));
    EXPECT_EQ(good + ".missing: no such file", problem_);
    remove(good.c_str());
}

} // namespace
