// The focused application's text field as the host models it: UTF-16 text and a cursor.
#ifndef KWENO_HOST_TEXTFIELD_H
#define KWENO_HOST_TEXTFIELD_H

#include <cstddef>
#include <string>

class TextField {
  public:
    // Inserts at the cursor and moves the cursor past what was inserted.
    void insert(char16_t c);
    void insert(const std::u16string &s);
    // Deletes the code point before the cursor (a surrogate pair goes as one).
    void deleteBack();
    // Deletes the word before the cursor: the blanks just before it, then the run of non-blanks.
    void deleteWordBack();

    void clear();
    // Replaces the text; the cursor goes to its end.
    void setText(const std::u16string &s);
    // Clamped to the text.
    void setCursor(size_t position);

    const std::u16string &text() const { return text_; }
    size_t cursor() const { return cursor_; }
    std::string utf8() const;

  private:
    std::u16string text_;
    size_t cursor_ = 0;
};

#endif // KWENO_HOST_TEXTFIELD_H
