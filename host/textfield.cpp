// The text field that key events from the panel edit, with its UTF-8 view.
#include "textfield.h"

#include "text.h"

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
