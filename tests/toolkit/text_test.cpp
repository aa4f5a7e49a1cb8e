// UTF-8 and UTF-16: every plane both ways, and broken input read as U+FFFD.
#include <gtest/gtest.h>

#include "text.h"

TEST(Text, Utf8RoundTripsEveryPlaneAndReplacesBrokenInput)
{
    const std::u16string text = u"a\u00E4\u20AC\U0001F600";
    EXPECT_EQ("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", utf8FromUtf16(text));
    EXPECT_EQ(text, utf16FromUtf8(utf8FromUtf16(text)));

    EXPECT_EQ("x\xEF\xBF\xBDy", utf8FromUtf16(u"x\xD800y")) << "an unpaired high surrogate";
    EXPECT_EQ("\xEF\xBF\xBD", utf8FromUtf16(std::u16string(1, char16_t(0xDC00)))) << "a lone low surrogate";
    EXPECT_EQ(u"\uFFFDa", utf16FromUtf8("\xC3"
                                        "a"))
        << "a sequence cut short";
    EXPECT_EQ(u"\uFFFD", utf16FromUtf8("\xE2\x82")) << "a sequence at the end of the input";
}
