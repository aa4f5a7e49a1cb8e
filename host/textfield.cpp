// The text field that key events from the panel edit, with its UTF-8 view.
#include "textfield.h"

static bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

static bool isLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

// What separates words for a control-backspace: the blanks an edit control stops at.
static bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0x00A0;
}

void TextField::insert(char16_t c)
{
    text_.insert(text_.begin() + cursor_, c);
    ++cursor_;
}

void TextField::insert(const std::u16string &s)
{
    text_.insert(cursor_, s);
    cursor_ += s.size();
}

void TextField::deleteBack()
{
    if (cursor_ == 0)
        return;
    size_t n = 1;
    if (cursor_ >= 2 && isLowSurrogate(text_[cursor_ - 1]) && isHighSurrogate(text_[cursor_ - 2]))
        n = 2;
    text_.erase(cursor_ - n, n);
    cursor_ -= n;
}

void TextField::deleteWordBack()
{
    size_t start = cursor_;
    while (start > 0 && isBlank(text_[start - 1]))
        --start;
    while (start > 0 && !isBlank(text_[start - 1]))
        --start;
    text_.erase(start, cursor_ - start);
    cursor_ = start;
}

void TextField::clear()
{
    text_.clear();
    cursor_ = 0;
}

void TextField::setText(const std::u16string &s)
{
    text_ = s;
    cursor_ = s.size();
}

void TextField::setCursor(size_t position)
{
    cursor_ = position < text_.size() ? position : text_.size();
}

std::string TextField::utf8() const
{
    return utf8FromUtf16(text_);
}

static void appendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string utf8FromUtf16(const std::u16string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (isHighSurrogate(s[i]) && i + 1 < s.size() && isLowSurrogate(s[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (isHighSurrogate(s[i]) || isLowSurrogate(s[i])) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

// Length of the UTF-8 sequence that starts with byte b; 0 for a byte that cannot start one.
static int sequenceLength(unsigned char b)
{
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    return 0;
}

std::u16string utf16FromUtf8(const std::string &s)
{
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = static_cast<unsigned char>(s[i]);
        int n = sequenceLength(b);
        char32_t cp = n <= 1 ? b : b & (0x7F >> n);
        // Continuation bytes that follow; a broken sequence becomes one U+FFFD as far as it went.
        int k = 1;
        while (k < n && i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80) {
            cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
            ++k;
        }
        i += k;
        if (n == 0 || k < n) {
            out += char16_t(0xFFFD);
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}
