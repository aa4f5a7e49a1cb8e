// Pictures as PNG files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "image.h"

TEST(Image, PngFilesHoldTheExactPixels)
{
    Image picture(37, 23);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
            picture.at(x, y) = static_cast<uint32_t>(x * 7) << 16 | static_cast<uint32_t>(y * 11) << 8 | (x ^ y);
    std::string path = ::testing::TempDir() + "image_roundtrip.png";
    std::string error;
    ASSERT_TRUE(writePng(picture, path, &error)) << error;
    Image back;
    ASSERT_TRUE(readPng(path, &back));
    EXPECT_EQ(picture.width, back.width);
    EXPECT_EQ(picture.height, back.height);
    EXPECT_EQ(picture.pixels, back.pixels);
    std::remove(path.c_str());

    std::vector<unsigned char> bytes;
    ASSERT_TRUE(encodePng(picture, &bytes));
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(0, memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8));
    EXPECT_FALSE(writePng(Image(), path, &error));
    EXPECT_FALSE(readPng(path + ".missing", &back));
}
