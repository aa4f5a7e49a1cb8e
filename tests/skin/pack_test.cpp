// Packing a folder of pictures into the device's module: the default skin's previews come back as
// the very same module, and each way a designer's pictures can be unfit for the device is refused.
#include <gtest/gtest.h>
#include <emu.h>
#include <zlib.h>

#include <unistd.h>

#include <filesystem>

#include "checker.h"
#include "imagefiles.h"
#include "pack.h"
#include "wholefile.h"

using namespace skin;

namespace {

// The default skin's pictures, previewed once into a folder of their own.
class Pack : public ::testing::Test {
  protected:
    static std::string previews;
    static void SetUpTestSuite()
    {
        previews = ::testing::TempDir() + "kweno_pack_" + std::to_string(getpid());
        ASSERT_TRUE(previewModule(KWENO_DEFAULT_SKIN, previews).empty());
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(previews); }

    // A copy of the previews to spoil.
    std::string copy()
    {
        std::string folder = previews + "_edited";
        std::filesystem::remove_all(folder);
        std::filesystem::copy(previews, folder);
        edited.push_back(folder);
        return folder;
    }
    void TearDown() override
    {
        for (const std::string &folder : edited)
            std::filesystem::remove_all(folder);
    }
    std::vector<std::string> edited;
};
std::string Pack::previews;

std::string lines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += "  " + line + "\n";
    return text;
}

// The PNG as an animated PNG of the given frames, by the chunk that announces them.
std::vector<uint8_t> animated(std::vector<uint8_t> png, uint32_t frames)
{
    std::vector<uint8_t> chunk = {0, 0, 0, 8, 'a', 'c', 'T', 'L', 0, 0, 0, (uint8_t)frames, 0, 0, 0, 0};
    uLong crc = crc32(0, &chunk[4], (uInt)chunk.size() - 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back((uint8_t)(crc >> shift));
    png.insert(png.begin() + 8 + 25, chunk.begin(), chunk.end()); // after the signature and IHDR
    return png;
}

// Preview and pack give back the module the build made, byte for byte: pack is how it was made.
TEST_F(Pack, PreviewsOfTheDefaultSkinPackIntoTheSameModule)
{
    PackResult result = packFolder(previews, STORED_PNG, KWENO_SKIN_BITS);
    ASSERT_TRUE(result.ok()) << lines(result.refusals);
    EXPECT_TRUE(result.module == wholeFile(KWENO_DEFAULT_SKIN));
    EXPECT_TRUE(checkModuleBytes(result.module, "packed", {VARIANT_DAY, VARIANT_NIGHT}).ok());

    // A skin of its own version: its version resource says so, and the pictures are the same.
    PackResult own = packFolder(previews, STORED_PNG, KWENO_SKIN_BITS, "2.3.4");
    ASSERT_TRUE(own.ok()) << lines(own.refusals);
    EmuModuleFile file;
    emuInspectModuleFile(own.module.data(), own.module.size(), &file);
    EXPECT_STREQ("2.3.4", file.fileVersionText);
    EXPECT_TRUE(checkModuleBytes(own.module, "packed", {VARIANT_DAY, VARIANT_NIGHT}).ok());
}

TEST_F(Pack, EachPictureTheDeviceWouldShowOtherwiseIsRefusedByName)
{
    std::string folder = copy();
    auto grey = [](int x, int y) { return 0x010101u * (uint32_t)((x / 30 + y / 30) & 0xF) * 16; };
    auto many = [](int x, int) { return 0x0A0A0Au * (uint32_t)(x % 17); };
    const struct {
        const char *file;
        std::vector<uint8_t> bytes; // none: the file is removed
        std::string line;
    } cases[] = {
        {"face-lower-portrait-day", {}, "face-lower-portrait-day.png (0x1001 lower portrait face, day): missing"},
        {"face-caps-portrait-night", imagefiles::png(480, 251, grey),
         "face-caps-portrait-night.png (0x1022 caps portrait face, night): is 480×251, expected 480×252"},
        {"popup-0x2060-day",
         imagefiles::pngWithAlpha(452, 83, grey, [](int x, int) { return (uint8_t)(x < 4 ? 0 : 255); }),
         "popup-0x2060-day.png (0x2061 popup of U+006F o, day): has transparent pixels; the panel copies pictures "
         "without blending"},
        {"popup-0x2060-night", animated(imagefiles::png(452, 83, grey), 2),
         "popup-0x2060-night.png (0x2062 popup of U+006F o, night): is an animation of 2 frames; the panel shows "
         "only the first"},
        {"face-lower-portrait-pressed", imagefiles::png(480, 252, many),
         "face-lower-portrait-pressed.png (0x1000 lower portrait face, pressed): has 17 colours; --bits 4 holds at "
         "most 16"},
        {"face-shift-portrait-day",
         {'G', 'I', 'F', '8', '9', 'a'},
         "face-shift-portrait-day.png (0x1011 shift "
         "portrait face, day): is no PNG file that can be read"},
    };
    std::vector<std::string> expected;
    for (const auto &c : cases) {
        std::string path = folder + "/" + c.file + ".png";
        if (c.bytes.empty())
            std::filesystem::remove(path);
        else
            ASSERT_TRUE(writeFile(path, c.bytes));
        expected.push_back(c.line);
    }
    PackResult result = packFolder(folder, STORED_PNG, 4);
    std::sort(expected.begin(), expected.end());
    std::sort(result.refusals.begin(), result.refusals.end());
    EXPECT_EQ(expected, result.refusals) << lines(result.refusals);
    EXPECT_TRUE(result.module.empty());
}

// What the files pass but the module's reader does not, such as an icon the panel's 16-colour image
// list changes, is refused too; colours the display rounds are only counted and named.
TEST_F(Pack, WhatOnlyTheModuleShowsIsRefusedAndRoundedColoursAreNamed)
{
    std::string folder = copy();
    ASSERT_TRUE(writeFile(folder + "/icon-day.png",
                          imagefiles::png(32, 32, [](int x, int) { return x < 16 ? 0xFF00FFu : 0x123456u; })));
    ASSERT_TRUE(writeFile(folder + "/face-lower-landscape-day.png", imagefiles::png(640, 216, [](int x, int y) {
                              return x < 320 ? 0xFFFFFFu : y < 54 ? 0x0A0A0Au : 0xBDC3CFu;
                          })));
    ASSERT_TRUE(writeFile(folder + "/notes.txt", std::vector<uint8_t>{'x'}));
    PackResult result = packFolder(folder, STORED_PNG, 4);
    EXPECT_EQ(std::vector<std::string>{"0x0001 panel icon, day: has 512 pixels of colours outside the system's 16, "
                                       "which the panel's image list changes"},
              result.refusals);
    auto said = [&](const std::string &line) {
        return std::find(result.warnings.begin(), result.warnings.end(), line) != result.warnings.end();
    };
    EXPECT_TRUE(said("face-lower-landscape-day.png: 2 of its 3 colours are not shown exactly by the 16-bit display "
                     "(50.0 % of the pixels): #BDC3CF becomes #BDC3CE, #0A0A0A becomes #080808"))
        << lines(result.warnings);
    EXPECT_TRUE(said("notes.txt: no picture of the panel; left out")) << lines(result.warnings);
}

} // namespace
