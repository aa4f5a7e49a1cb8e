// UTF-8 and UTF-16 for the tools, the hosts and the emulation: utfcpp does the coding; what is
// broken reads as U+FFFD, as a text field shows it, instead of stopping the program.
#ifndef KWENO_TOOLKIT_TEXT_H
#define KWENO_TOOLKIT_TEXT_H

#include <string>

#include <utf8.h>

// UTF-8 of UTF-16 text; a surrogate without its partner becomes U+FFFD (utfcpp refuses it).
inline std::string utf8FromUtf16(std::u16string s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        bool high = s[i] >= 0xD800 && s[i] <= 0xDBFF, low = s[i] >= 0xDC00 && s[i] <= 0xDFFF;
        if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
            ++i;
        else if (high || low)
            s[i] = 0xFFFD;
    }
    return utf8::utf16to8(s);
}

// UTF-16 of UTF-8 text; each broken sequence becomes one U+FFFD.
inline std::u16string utf16FromUtf8(const std::string &s)
{
    return utf8::utf8to16(utf8::replace_invalid(s));
}

// The code points of UTF-8 text, each broken sequence one U+FFFD.
inline std::u32string codePoints(const std::string &s)
{
    return utf8::utf8to32(utf8::replace_invalid(s));
}

// One code point (not a surrogate) as UTF-8.
inline std::string utf8Of(char32_t c)
{
    return utf8::utf32to8(std::u32string(1, c));
}

// Text for HTML or XML, in an element or a quoted attribute: the markup's own characters escaped.
inline std::string markupEscaped(const std::string &text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

#endif // KWENO_TOOLKIT_TEXT_H
