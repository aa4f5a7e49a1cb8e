// Base64 text for the page's pictures.
#include <gtest/gtest.h>

#include "report.h"

TEST(Report, Base64OfTheStandardExamples)
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
