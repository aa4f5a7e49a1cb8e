// The module checker and previewer on the default skin, on modules broken on purpose, and on files
// that are no module at all.
#include <gtest/gtest.h>

#include <aygshell.h>
#include <emu.h>
#include <windows.h>

#include <cstdio>
#include <unistd.h>
#include <filesystem>

#include "checker.h"
#include "imagefiles.h"
#include "palette.h"
#include "pebuilder.h"
#include "pictures.h"
#include "wholefile.h"

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

// Files of their own per process, as several test runs may share the temporary folder.
std::string tempPath(const std::string &name)
{
    return ::testing::TempDir() + "kweno_skin_" + std::to_string(getpid()) + "_" + name;
}

std::string writeTemp(const std::string &name, const std::vector<uint8_t> &bytes)
{
    std::string path = tempPath(name);
    EXPECT_TRUE(writeFile(path, bytes)) << path;
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

// The module holds nothing but pictures, and is marked as the device's: ARM, Windows CE GUI, no
// entry point, no relocations, no time stamp (the same tables give the same bytes); it stays small.
TEST(DefaultSkin, IsAResourceModuleForTheDeviceWithinItsBudget)
{
    std::vector<uint8_t> bytes = wholeFile(KWENO_DEFAULT_SKIN);
    EmuModuleFile file;
    emuInspectModuleFile(bytes.data(), bytes.size(), &file);
    ASSERT_TRUE(file.isModule) << file.problem;
    EXPECT_EQ(emu::IMAGE_FILE_MACHINE_ARM, file.machine);
    EXPECT_EQ(9u, file.subsystem);
    EXPECT_EQ(0u, file.entryPoint);
    EXPECT_EQ(0, file.relocations);
    EXPECT_EQ(0u, file.timeStamp);
    EXPECT_EQ(file.fileSize, file.sectionsEnd) << "nothing beyond the resources";
    EXPECT_LE(bytes.size(), 300000u);
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

// The lines said for the pressed portrait face 0x1000 when it is stored one way or another; every
// other picture is absent from these modules and only said to be missing.
std::vector<std::string> faceLines(const pebuilder::Resource &face)
{
    std::vector<uint8_t> bytes = pebuilder::build({face}, pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
    CheckResult result = checkModule(writeTemp("one_face.dll", bytes), {VARIANT_DAY});
    std::vector<std::string> lines;
    for (const std::string &line : result.faults)
        if (line.rfind("0x1000 ", 0) == 0)
            lines.push_back(line.substr(std::string("0x1000 lower portrait face, pressed: ").size()));
    return lines;
}

pebuilder::Resource underGif(std::vector<uint8_t> data)
{
    return pebuilder::Resource{0, 0x1000, std::move(data), u"GIF", u""};
}

uint32_t grey(int x, int y)
{
    return 0x010101u * (uint32_t)((x + y) & 0xFF);
}

TEST(Checker, EachWayAPictureCanFailHasItsOwnLine)
{
    const int w = 480, h = 252;
    std::vector<uint8_t> goodPng = imagefiles::png(w, h, grey);
    std::vector<uint8_t> halfPng(goodPng.begin(), goodPng.begin() + (long)goodPng.size() / 2);
    std::vector<uint8_t> goodJpeg = imagefiles::jpeg(w, h, grey);
    std::vector<uint8_t> cutJpeg(goodJpeg.begin(), goodJpeg.end() - 200);
    std::vector<uint8_t> badGif = imagefiles::gif(w, h, grey);
    badGif.resize(40); // the header and part of the colour table
    const std::string bitmapLine =
        "stored as a bitmap resource; the device's image loader reads only image files under the type GIF";
    const struct {
        const char *name;
        pebuilder::Resource face;
        std::vector<std::string> lines;
    } cases[] = {
        {"a PNG of the right size", underGif(goodPng), {}},
        {"a .bmp file", underGif(pebuilder::bmpFile(pebuilder::dib24(w, h, grey))), {}},
        {"a GIF", underGif(imagefiles::gif(w, h, grey)), {}},
        {"a JPEG", underGif(goodJpeg), {}},
        {"a bitmap resource", {2, 0x1000, pebuilder::dib24(w, h, grey), u"", u""}, {bitmapLine}},
        {"under another type", {0, 0x1000, goodPng, u"PNG", u""}, {"missing"}},
        {"empty", underGif({}), {"is an empty resource"}},
        {"text", underGif({'f', 'a', 'c', 'e'}), {"is no image file (neither PNG, GIF, JPEG nor BMP)"}},
        {"a PNG cut in half",
         underGif(halfPng),
         {"is a PNG that does not decode: the PNG data is truncated or corrupt"}},
        {"a JPEG cut short",
         underGif(cutJpeg),
         {"is a JPEG that does not decode: the JPEG data is truncated or corrupt"}},
        {"a GIF cut short", underGif(badGif), {"is a GIF that does not decode: the GIF header cannot be read"}},
        {"a JPEG of an odd size", underGif(imagefiles::jpeg(w + 1, h - 1, grey)), {"is 481×251, expected 480×252"}},
        {"a PNG with transparent pixels",
         underGif(imagefiles::pngWithAlpha(w, h, grey, [](int x, int) { return (uint8_t)(x < 10 ? 0 : 255); })),
         {"has transparent pixels; the panel copies pictures without blending, so they show black here and may "
          "show anything on the device"}},
        {"a PNG with an opaque alpha channel",
         underGif(imagefiles::pngWithAlpha(w, h, grey, [](int, int) { return (uint8_t)255; })),
         {}},
        {"an animation",
         underGif(imagefiles::gif(w, h, grey, 3)),
         {"is an animation of 3 frames; the panel shows only the first"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.lines, faceLines(c.face)) << c.name;
}

// The icon goes into a 16-colour image list: a colour outside the system's palette is changed there.
TEST(Checker, AnIconOfColoursTheImageListChangesIsReported)
{
    auto icon = [](uint32_t colour) {
        return pebuilder::dib24(32, 32, [colour](int x, int) { return x < 16 ? 0xFF00FFu : colour; });
    };
    for (uint32_t colour : {0x808000u, 0x123456u}) {
        std::vector<uint8_t> bytes =
            pebuilder::build({{2, 1, icon(colour), u"", u""}}, pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
        CheckResult result = checkModule(writeTemp("icon.dll", bytes), {VARIANT_DAY});
        bool said = anyLineHas(result.faults, "0x0001 panel icon, day: has 512 pixels of colours outside the "
                                              "system's 16, which the panel's image list changes");
        EXPECT_EQ(colour == 0x123456u, said) << std::hex << colour << "\n" << joined(result.faults);
    }
}

// Faces and popups kept as bitmap resources load nowhere on the device: each says why; the icons,
// which are read as bitmaps, pass.
TEST(Checker, BitmapResourcesForFacesAndPopupsAreNamedAsSuch)
{
    CheckResult result = checkModule(KWENO_BITMAP_SKIN, {VARIANT_DAY});
    EXPECT_EQ(91, result.checked);
    ASSERT_EQ(90u, result.faults.size()) << joined(result.faults);
    for (const std::string &line : result.faults)
        EXPECT_NE(std::string::npos, line.find(": stored as a bitmap resource; the device's image loader reads only "
                                               "image files under the type GIF"))
            << line;
}

// Cut anywhere, a module is reported and never crashes the checker; pictures the cut spares pass.
// The last cut falls in the last pictures, before the version resource, which ends the file.
TEST(Checker, TruncatedModulesAreReportedWhereverTheyAreCut)
{
    std::vector<uint8_t> whole = wholeFile(KWENO_DEFAULT_SKIN);
    ASSERT_GT(whole.size(), 100000u);
    for (size_t cut : {(size_t)0, (size_t)1, (size_t)2, (size_t)63, (size_t)64, (size_t)200, (size_t)400, (size_t)600,
                       (size_t)4096, (size_t)70000, whole.size() / 2, whole.size() - 1200}) {
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
    std::vector<uint8_t> noResources = wholeFile(KWENO_DEFAULT_SKIN);
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

    std::vector<uint8_t> bytes = wholeFile(KWENO_DEFAULT_SKIN);
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
