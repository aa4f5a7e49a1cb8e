// Where the two builds' picture decoders read a file differently: the desktop's libraries refuse
// what is damaged, stb_image (the WebAssembly build's) checks no CRC and takes a GIF whose last
// frame is cut short. The same tests run on both; EMU_STB_DECODERS says which.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imagefile.h"
#include "imagefiles.h"

namespace {

using imagefiles::Bytes;

#if defined(EMU_STB_DECODERS)
const bool stb = true;
#else
const bool stb = false;
#endif

uint32_t pattern(int x, int y)
{
    return 0x102030u * (uint32_t)(x % 5) + 0x0A0B0Cu * (uint32_t)(y % 3);
}

// The PNG with one byte of the chunk changed: its CRC (the chunk's last byte) or its data.
Bytes damaged(Bytes png, const char *chunk, bool crc)
{
    for (size_t at = 8; at + 12 <= png.size();) {
        size_t length = (size_t)png[at] << 24 | png[at + 1] << 16 | png[at + 2] << 8 | png[at + 3];
        if (memcmp(&png[at + 4], chunk, 4) == 0) {
            png[crc ? at + 8 + length + 3 : at + 8 + length / 2] ^= 0x55;
            return png;
        }
        at += 12 + length;
    }
    ADD_FAILURE() << "no " << chunk << " chunk";
    return png;
}

Bytes cut(Bytes bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

TEST(Decoders, DamagedFilesAsEachBuildReadsThem)
{
    Bytes png = imagefiles::png(40, 30, pattern), gif = imagefiles::gif(40, 30, pattern, 3);
    Bytes jpeg = imagefiles::jpeg(40, 30, pattern);
    const struct {
        const char *name;
        Bytes file;
        bool libraries, stbImage; // whether each decodes it
    } cases[] = {
        {"PNG whose header's CRC is wrong", damaged(png, "IHDR", true), false, true},
        {"PNG whose data's CRC is wrong", damaged(png, "IDAT", true), false, true},
        {"PNG whose compressed data is damaged", damaged(png, "IDAT", false), false, false},
        {"animated GIF cut in its last frame", cut(gif, gif.size() - 5), false, true},
        {"JPEG without its end marker", cut(jpeg, jpeg.size() - 2), false, false},
    };
    for (const auto &c : cases) {
        emu::Picture picture;
        emu::ImageFileInfo info;
        bool decoded = emu::decodeImageFile(c.file.data(), c.file.size(), &picture, &info);
        EXPECT_EQ(stb ? c.stbImage : c.libraries, decoded) << c.name << ": " << info.problem;
        if (decoded) // what a damaged file gives is still the picture that was written
            EXPECT_EQ(pattern(7, 4), picture.pixels[4 * 40 + 7]) << c.name;
    }
}

// The decoders differ in their inverse transform and colour conversion, so a JPEG's pixels differ
// between the builds, each close to what was encoded.
TEST(Decoders, AJpegComesBackCloseToItsPicture)
{
    Bytes jpeg = imagefiles::jpeg(40, 30, pattern);
    emu::Picture picture;
    emu::ImageFileInfo info;
    ASSERT_TRUE(emu::decodeImageFile(jpeg.data(), jpeg.size(), &picture, &info)) << info.problem;
    int worst = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            for (int shift = 0; shift <= 16; shift += 8)
                worst = std::max(worst, std::abs((int)(picture.pixels[(size_t)y * 40 + x] >> shift & 0xFF) -
                                                 (int)(pattern(x, y) >> shift & 0xFF)));
    EXPECT_LE(worst, 24);
}

} // namespace
