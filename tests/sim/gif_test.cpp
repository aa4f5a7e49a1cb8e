// Animated GIF files, written and read back with giflib: exact colours, the LZW table filling up
// and starting again, changed rectangles, delays, and pictures of more than 256 colours.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "gif.h"
#include "gifreader.h"

class Gif : public ::testing::Test {
  protected:
    std::string path() const
    {
        const ::testing::TestInfo *info = ::testing::UnitTest::GetInstance()->current_test_info();
        return ::testing::TempDir() + "gif_" + info->name() + ".gif";
    }
    void TearDown() override { std::remove(path().c_str()); }

    DecodedGif write(const std::vector<std::pair<Image, int>> &frames)
    {
        GifWriter writer;
        std::string error;
        EXPECT_TRUE(writer.open(path(), frames.front().first.width, frames.front().first.height, &error)) << error;
        for (const auto &f : frames)
            writer.addFrame(f.first, f.second);
        EXPECT_TRUE(writer.close());
        DecodedGif gif;
        EXPECT_TRUE(decodeGifFile(path(), &gif, &error)) << error;
        return gif;
    }
};

static Image noise(int width, int height, int colours, unsigned start)
{
    std::mt19937 random(start);
    Image image(width, height);
    for (uint32_t &p : image.pixels) {
        uint32_t i = static_cast<uint32_t>(random() % colours);
        p = i << 16 | ((i * 7) & 0xFF) << 8 | ((i * 13) & 0xFF);
    }
    return image;
}

static int differingPixels(const Image &a, const Image &b)
{
    int n = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        n += a.pixels[i] != b.pixels[i];
    return n;
}

// Noise compresses badly, so the 4096-entry table fills again and again and is cleared each time.
TEST_F(Gif, NoiseOfUpTo256ColoursComesBackExactly)
{
    for (int colours : {2, 3, 16, 17, 200, 256}) {
        Image picture = noise(203, 157, colours, static_cast<unsigned>(colours));
        DecodedGif gif = write({{picture, 100}});
        ASSERT_EQ(1u, gif.frames.size()) << colours << " colours";
        EXPECT_EQ(203, gif.width);
        EXPECT_EQ(157, gif.height);
        EXPECT_TRUE(gif.loops);
        EXPECT_EQ(0, differingPixels(picture, gif.frames[0].canvas)) << colours << " colours";
    }
}

TEST_F(Gif, LongRunsOfOneColourComeBackExactly)
{
    // Runs make the longest table entries; a single colour is the extreme case.
    Image flat(640, 640, 0x336699);
    Image stripes(300, 200, 0xFFFFFF);
    for (int y = 0; y < stripes.height; ++y)
        for (int x = 0; x < stripes.width; x += 7)
            stripes.at(x, y) = 0x000000;
    EXPECT_EQ(0, differingPixels(flat, write({{flat, 50}}).frames.at(0).canvas));
    EXPECT_EQ(0, differingPixels(stripes, write({{stripes, 50}}).frames.at(0).canvas));
}

TEST_F(Gif, LaterFramesHoldOnlyTheChangedRectangle)
{
    Image first = noise(120, 90, 40, 1);
    Image second = first;
    second.at(30, 20) = 0xFF0000;
    second.at(70, 50) = 0x00FF00;
    DecodedGif gif = write({{first, 120}, {second, 5}, {second, 1000}});
    ASSERT_EQ(3u, gif.frames.size());
    const DecodedFrame &changed = gif.frames[1];
    EXPECT_EQ(30, changed.left);
    EXPECT_EQ(20, changed.top);
    EXPECT_EQ(41, changed.width);
    EXPECT_EQ(31, changed.height);
    EXPECT_EQ(0, differingPixels(second, changed.canvas));
    // Nothing changed: one pixel carries the delay.
    EXPECT_EQ(1, gif.frames[2].width * gif.frames[2].height);
    EXPECT_EQ(0, differingPixels(second, gif.frames[2].canvas));
    // Hundredths of a second, and never less than two, which viewers would stretch anyway.
    EXPECT_EQ(12, gif.frames[0].delayCs);
    EXPECT_EQ(2, gif.frames[1].delayCs);
    EXPECT_EQ(100, gif.frames[2].delayCs);
}

TEST_F(Gif, MoreThan256ColoursKeepTheCommonOnesAndTakeTheNearestForTheRest)
{
    // 250 common colours in blocks, then 100 rare ones, each a step away from a common one.
    Image picture(250, 60);
    for (int x = 0; x < 250; ++x) {
        uint32_t c = static_cast<uint32_t>(x) * 0x000104 + 0x200000;
        for (int y = 0; y < 50; ++y)
            picture.at(x, y) = c;
    }
    for (int x = 0; x < 100; ++x)
        picture.at(x, 55) = (static_cast<uint32_t>(x) * 0x000104 + 0x200000) + 0x010000;
    DecodedGif gif = write({{picture, 100}});
    ASSERT_EQ(1u, gif.frames.size());
    const Image &back = gif.frames[0].canvas;
    for (int x = 0; x < 250; ++x)
        EXPECT_EQ(picture.at(x, 0), back.at(x, 0)) << "common colour at " << x;
    // The table holds black (the unfilled rows), the 250 common colours and so 5 rare ones.
    int exact = 0;
    for (int x = 0; x < 100; ++x) {
        uint32_t got = back.at(x, 55);
        if (got == picture.at(x, 55)) {
            ++exact;
            continue;
        }
        EXPECT_EQ(picture.at(x, 55) - 0x010000, got) << "rare colour at " << x << " became 0x" << std::hex << got;
    }
    EXPECT_EQ(5, exact);
}

TEST_F(Gif, FramesOfAnotherSizeAreNotAdded)
{
    GifWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(path(), 10, 10, &error)) << error;
    writer.addFrame(Image(10, 10, 1), 100);
    writer.addFrame(Image(11, 10, 1), 100);
    EXPECT_EQ(1, writer.frames());
    EXPECT_TRUE(writer.close());
    EXPECT_FALSE(writer.open(path(), 0, 10, &error));
}
