// Pictures as PNG files and base64 text for the page.
#include <gtest/gtest.h>

#include <cstdio>

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

TEST(Image, Base64OfTheStandardExamples)
{
    struct Case {
        const char *in, *out;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"},
                 {"\xff\xfe\xfd", "//79"}};
    for (const Case &c : cases) {
        std::string in = c.in;
        EXPECT_EQ(c.out, base64(std::vector<unsigned char>(in.begin(), in.end()))) << c.in;
    }
}
