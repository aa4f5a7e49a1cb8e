// Tests of the image file decoders behind the shell's image loader: what each format gives, and
// that damaged or hostile files give nothing, also through SHLoadImageResource.
#include <gtest/gtest.h>

#include <aygshell.h>
#include <windows.h>

#include "emu.h"
#include "imagefile.h"
#include "imagefiles.h"
#include "pebuilder.h"

namespace {

using imagefiles::Bytes;

uint32_t pattern(int x, int y)
{
    return 0x102030u * (uint32_t)(x % 5) + 0x0A0B0Cu * (uint32_t)(y % 3);
}

Bytes cut(Bytes bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

TEST(ImageFile, EachFormatDecodesItsPicture)
{
    const struct {
        const char *name;
        Bytes file;
        int frames;
        bool transparent;
    } cases[] = {
        {"PNG", imagefiles::png(9, 7, pattern), 1, false},
        {"GIF", imagefiles::gif(9, 7, pattern), 1, false},
        {"interlaced GIF", imagefiles::gif(9, 19, pattern, 1, -1, true), 1, false},
        {"animated GIF: the first frame", imagefiles::gif(9, 7, pattern, 3), 3, false},
        {"BMP", pebuilder::bmpFile(pebuilder::dib24(9, 7, pattern)), 1, false},
    };
    for (const auto &c : cases) {
        emu::Picture picture;
        emu::ImageFileInfo info;
        ASSERT_TRUE(emu::decodeImageFile(c.file.data(), c.file.size(), &picture, &info)) << c.name << info.problem;
        EXPECT_EQ(c.frames, info.frames) << c.name;
        EXPECT_EQ(c.transparent, info.transparent) << c.name;
        int wrong = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x)
                wrong += picture.pixels[(size_t)y * picture.width + x] != pattern(x, y);
        EXPECT_EQ(0, wrong) << c.name;
    }
}

// What has no colour of its own is shown black, as a bitmap has no alpha; the file says so.
TEST(ImageFile, TransparentPixelsAreBlackAndReported)
{
    Bytes halfRed = imagefiles::pngWithAlpha(
        4, 1, [](int, int) { return 0xFF0000u; }, [](int x, int) { return (uint8_t)(x * 85); });
    emu::Picture picture;
    emu::ImageFileInfo info;
    ASSERT_TRUE(emu::decodeImageFile(halfRed.data(), halfRed.size(), &picture, &info));
    EXPECT_TRUE(info.transparent);
    std::vector<uint32_t> expected = {0x000000, 0x550000, 0xAA0000, 0xFF0000};
    EXPECT_EQ(expected, picture.pixels);

    // Colour index 1 of this GIF is the second of three equally frequent colours: pixel (1, 0).
    Bytes gif = imagefiles::gif(
        3, 1, [](int x, int) { return 0x111111u * (uint32_t)(x + 1); }, 1, 1);
    ASSERT_TRUE(emu::decodeImageFile(gif.data(), gif.size(), &picture, &info));
    EXPECT_TRUE(info.transparent);
    expected = {0x111111, 0x000000, 0x333333};
    EXPECT_EQ(expected, picture.pixels);
}

TEST(ImageFile, DamagedEmptyOrHugeFilesGiveNothingThroughTheLoaderToo)
{
    Bytes png = imagefiles::png(40, 30, pattern), gif = imagefiles::gif(40, 30, pattern);
    Bytes jpeg = imagefiles::jpeg(40, 30, pattern);
    const struct {
        const char *name;
        Bytes file;
        const char *problem;
    } cases[] = {
        {"empty", {}, "the resource is empty"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "no image file (neither PNG, GIF, JPEG nor BMP)"},
        {"PNG signature only", cut(png, 8), "the PNG header cannot be read"},
        {"PNG cut in its data", cut(png, png.size() - 20), "the PNG data is truncated or corrupt"},
        {"GIF cut in its data", cut(gif, gif.size() / 2), "the GIF data is truncated or corrupt"},
        {"GIF cut in its colour table", cut(gif, 14), "the GIF header cannot be read"},
        {"JPEG cut in its data", cut(jpeg, jpeg.size() / 2), "the JPEG data is truncated or corrupt"},
        {"JPEG marker only", cut(jpeg, 3), "the JPEG header cannot be read"},
        {"BMP header only", cut(pebuilder::bmpFile(pebuilder::dib24(4, 4, pattern)), 20), nullptr},
        {"PNG too wide", imagefiles::png(16385, 1, pattern), "the picture is too large"},
        {"GIF too wide", imagefiles::gif(16385, 1, pattern), "the picture is too large or empty"},
    };
    std::vector<pebuilder::Resource> resources;
    for (const auto &c : cases) {
        emu::Picture picture;
        emu::ImageFileInfo info;
        EXPECT_FALSE(emu::decodeImageFile(c.file.data(), c.file.size(), &picture, &info)) << c.name;
        if (c.problem)
            EXPECT_EQ(c.problem, info.problem) << c.name;
        EXPECT_TRUE(picture.pixels.empty()) << c.name;
        resources.push_back({0, 200 + (unsigned)resources.size(), c.file, u"GIF", u""});
    }

    emuReset();
    Bytes module = pebuilder::build(resources, pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
    emuRegisterModule("\\Windows\\bad.dll", module.data(), module.size());
    HMODULE m = LoadLibraryExW(L"\\Windows\\bad.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, m);
    for (size_t i = 0; i < resources.size(); ++i) {
        SetLastError(0);
        EXPECT_EQ(nullptr, SHLoadImageResource(m, resources[i].id)) << cases[i].name;
        EXPECT_EQ((DWORD)ERROR_RESOURCE_DATA_NOT_FOUND, GetLastError()) << cases[i].name;
    }
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    FreeLibrary(m);
    EXPECT_EQ(0, emuViolationCount());
}

} // namespace
