// The module checker and previewer on the default skin, on modules broken on purpose, and on files
// that are no module at all.
#include <gtest/gtest.h>

#include <aygshell.h>
#include <emu.h>
#include <windows.h>

#include <cstdio>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "checker.h"
#include "pe.h"
#include "pictures.h"
#include "quantise.h"

using namespace skin;

namespace {

std::vector<std::string> temporaries;

// Removes what the tests wrote once the program ends.
struct TemporaryCleanup : ::testing::Environment {
    void TearDown() override
    {
        for (const std::string &path : temporaries)
            std::filesystem::remove_all(path);
    }
};
::testing::Environment *const cleanup = ::testing::AddGlobalTestEnvironment(new TemporaryCleanup);

std::vector<uint8_t> readBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Files of their own per process, as several test runs may share the temporary folder.
std::string tempPath(const std::string &name)
{
    return ::testing::TempDir() + "kweno_skin_" + std::to_string(getpid()) + "_" + name;
}

std::string writeTemp(const std::string &name, const std::vector<uint8_t> &bytes)
{
    std::string path = tempPath(name);
    std::ofstream file(path, std::ios::binary);
    file.write((const char *)bytes.data(), (std::streamsize)bytes.size());
    temporaries.push_back(path);
    return path;
}

std::string joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += "  " + line + "\n";
    return text;
}

bool anyLineHas(const std::vector<std::string> &lines, const std::string &part)
{
    for (const std::string &line : lines) {
        if (line.find(part) != std::string::npos)
            return true;
    }
    return false;
}

TEST(Checker, DefaultSkinPassesForEachVariantAndBoth)
{
    emuClearViolations();
    CheckResult day = checkModule(KWENO_DEFAULT_SKIN, {VARIANT_DAY});
    CheckResult night = checkModule(KWENO_DEFAULT_SKIN, {VARIANT_NIGHT});
    CheckResult both = checkModule(KWENO_DEFAULT_SKIN, {VARIANT_DAY, VARIANT_NIGHT});
    EXPECT_TRUE(day.ok()) << joined(day.faults);
    EXPECT_TRUE(night.ok()) << joined(night.faults);
    EXPECT_TRUE(both.ok()) << joined(both.faults);
    // Per variant: pressed and normal face of 5 modes in 2 orientations, both pictures of 35 popups,
    // one icon. Both variants share the pressed pictures.
    EXPECT_EQ(20 + 70 + 1, day.checked);
    EXPECT_EQ(20 + 70 + 1, night.checked);
    EXPECT_EQ(30 + 105 + 2, both.checked);
    // The checker gives back every bitmap and the module, and uses no handle wrongly.
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(0, emuViolationCount()) << (emuViolationCount() ? emuViolation(0) : "");
}

// The broken module lacks the day face 0x1001 and the night icon, and its popup 0x2060 is a
// pixel too narrow: each variant sees exactly the faults that concern it.
TEST(Checker, BrokenModuleGetsOneLinePerFaultForTheVariantAsked)
{
    const std::string narrow = "0x2060 popup of U+006F o, highlighted: is 451×83, expected 452×83";
    CheckResult day = checkModule(KWENO_BROKEN_SKIN, {VARIANT_DAY});
    std::vector<std::string> expectedDay = {"0x1001 lower portrait face, day: missing", narrow};
    EXPECT_EQ(expectedDay, day.faults) << joined(day.faults);

    CheckResult night = checkModule(KWENO_BROKEN_SKIN, {VARIANT_NIGHT});
    std::vector<std::string> expectedNight = {narrow, "0x0002 panel icon, night: missing"};
    EXPECT_EQ(expectedNight, night.faults) << joined(night.faults);

    CheckResult both = checkModule(KWENO_BROKEN_SKIN, {VARIANT_DAY, VARIANT_NIGHT});
    EXPECT_EQ(3u, both.faults.size()) << joined(both.faults);
}

// A picture whose bitmap header is nonsense is present but unreadable.
TEST(Checker, BitmapThatDoesNotDecodeIsToldFromOneThatIsMissing)
{
    std::vector<uint8_t> bytes = readBytes(KWENO_DEFAULT_SKIN);
    PeInfo pe = inspectPe(bytes);
    const PeResource *face = pe.find(2, 0x1000);
    ASSERT_TRUE(face && face->complete);
    bytes[face->offset + 14] = 7; // biBitCount: no such depth
    CheckResult result = checkModule(writeTemp("bad_depth.dll", bytes), {VARIANT_DAY});
    std::vector<std::string> expected = {"0x1000 lower portrait face, pressed: does not decode"};
    EXPECT_EQ(expected, result.faults) << joined(result.faults);
}

// Cut anywhere, a module is reported and never crashes the checker; pictures the cut spares pass.
TEST(Checker, TruncatedModulesAreReportedWhereverTheyAreCut)
{
    std::vector<uint8_t> whole = readBytes(KWENO_DEFAULT_SKIN);
    ASSERT_GT(whole.size(), 100000u);
    for (size_t cut : {(size_t)0, (size_t)1, (size_t)2, (size_t)63, (size_t)64, (size_t)200, (size_t)400, (size_t)600,
                       (size_t)4096, (size_t)70000, whole.size() / 2, whole.size() - 600}) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + (long)cut);
        CheckResult result = checkModule(writeTemp("cut.dll", part), {VARIANT_DAY, VARIANT_NIGHT});
        SCOPED_TRACE("cut at " + std::to_string(cut));
        ASSERT_FALSE(result.ok());
        EXPECT_TRUE(anyLineHas(result.faults, "not a resource module") || anyLineHas(result.faults, "truncated"))
            << joined(result.faults);
        if (cut >= whole.size() / 2) {
            EXPECT_TRUE(anyLineHas(result.faults, "is cut off by the end of the file")) << joined(result.faults);
            EXPECT_LT(result.faults.size(), (size_t)result.checked) << "pictures before the cut must pass";
        }
    }
}

TEST(Checker, FilesThatAreNoModuleSaySo)
{
    std::vector<uint8_t> text = {'h', 'e', 'l', 'l', 'o', '\n'};
    std::vector<uint8_t> dosOnly(128, 0);
    dosOnly[0] = 'M';
    dosOnly[1] = 'Z';
    dosOnly[0x3C] = 0xF0; // PE header beyond the end
    std::vector<uint8_t> noResources = readBytes(KWENO_DEFAULT_SKIN);
    uint32_t pe = noResources[0x3C] | noResources[0x3D] << 8;
    // Clear the resource entry of the 32-bit optional header's data directories.
    for (int i = 0; i < 8; ++i)
        noResources[pe + 24 + 96 + 2 * 8 + i] = 0;
    int n = 0;
    for (const std::vector<uint8_t> &bytes : {text, dosOnly, noResources}) {
        CheckResult result = checkModule(writeTemp("nomodule" + std::to_string(n++), bytes), {VARIANT_DAY});
        ASSERT_EQ(1u, result.faults.size()) << joined(result.faults);
        EXPECT_NE(std::string::npos, result.faults[0].find("not a resource module")) << result.faults[0];
        EXPECT_EQ(0, result.checked);
    }
    CheckResult absent = checkModule(tempPath("no_such_file.dll"), {VARIANT_DAY});
    ASSERT_EQ(1u, absent.faults.size());
    EXPECT_NE(std::string::npos, absent.faults[0].find("cannot be read"));
}

std::string runTool(const std::string &arguments, int &status)
{
    std::string output;
    FILE *pipe = popen((std::string(KWENO_SKIN_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
    if (!pipe)
        return output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    int raw = pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

TEST(Checker, ToolExitsNonZeroOnAnyFault)
{
    int status = -1;
    std::string out = runTool(std::string("check ") + KWENO_DEFAULT_SKIN + " --variant night", status);
    EXPECT_EQ(0, status) << out;
    out = runTool(std::string("check ") + KWENO_BROKEN_SKIN + " --variant day", status);
    EXPECT_EQ(1, status) << out;
    EXPECT_NE(std::string::npos, out.find("0x1001 lower portrait face, day: missing\n")) << out;
    out = runTool(std::string("check ") + KWENO_BROKEN_SKIN + " --variant dusk", status);
    EXPECT_EQ(2, status) << out;
}

// What the platform decodes from the module is, pixel for pixel, what the generator drew after
// reducing its colours: the DIB encoding and the packing lose nothing and flip nothing.
TEST(Preview, ModulePicturesDecodeToWhatWasDrawn)
{
    Font font;
    ASSERT_EQ("", font.open(KWENO_SKIN_FONT));
    std::string folder = tempPath("preview");
    temporaries.push_back(folder);
    std::vector<std::string> faults = previewModule(KWENO_DEFAULT_SKIN, folder);
    EXPECT_TRUE(faults.empty()) << joined(faults);
    for (const char *name : {"face-lower-portrait-day.png", "face-caps-landscape-night.png",
                             "face-symbols-portrait-pressed.png", "popup-0x2060-night.png", "icon-day.png"})
        EXPECT_TRUE(std::filesystem::is_regular_file(folder + "/" + name)) << name;

    std::vector<uint8_t> bytes = readBytes(KWENO_DEFAULT_SKIN);
    emuRegisterModule("\\Windows\\KWENO_Resources.dll", bytes.data(), bytes.size());
    HMODULE module = LoadLibraryExW(L"\\Windows\\KWENO_Resources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_TRUE(module);
    int compared = 0;
    for (const ImageEntry &entry : allImages()) {
        if (entry.name != "face-numeric-landscape-day" && entry.name != "popup-0x2250-pressed" &&
            entry.name != "icon-night")
            continue;
        Image drawn = entry.kind == IMAGE_FACE    ? drawFace(entry.face, entry.picture, font)
                      : entry.kind == IMAGE_POPUP ? drawPopup(entry.list, entry.picture, font)
                                                  : drawIcon(VARIANT_NIGHT);
        Image expected = expand(quantise(drawn, 1 << KWENO_SKIN_BITS));
        HBITMAP bitmap = entry.kind == IMAGE_ICON ? LoadBitmapW(module, MAKEINTRESOURCEW(entry.id))
                                                  : SHLoadImageResource(module, (UINT)entry.id);
        ASSERT_TRUE(bitmap) << entry.name;
        int wrong = 0;
        for (int y = 0; y < expected.height; ++y) {
            for (int x = 0; x < expected.width; ++x)
                wrong += (emuBitmapPixel(bitmap, x, y) & 0xFFFFFF) != expected.at(x, y);
        }
        EXPECT_EQ(0, wrong) << entry.name;
        DeleteObject(bitmap);
        ++compared;
    }
    EXPECT_EQ(3, compared);
    FreeLibrary(module);
    emuUnregisterModule("\\Windows\\KWENO_Resources.dll");
}

} // namespace
