// Tests of the host's text field: insertion at the cursor, deletion by character and by word.
#include <gtest/gtest.h>

#include "text.h"
#include "textfield.h"

TEST(TextField, InsertsAtTheCursorAndMovesPastTheInsertion)
{
    TextField field;
    field.insert(u"held");
    field.setCursor(2);
    field.insert(u'l');
    field.insert(u"lo wor");
    EXPECT_EQ(u"hello world", field.text());
    EXPECT_EQ(9u, field.cursor());
    field.setCursor(100);
    EXPECT_EQ(field.text().size(), field.cursor()) << "a cursor past the end is clamped";
}

TEST(TextField, DeleteBackTakesOneCharacterAndAWholeSurrogatePair)
{
    TextField field;
    field.deleteBack();
    EXPECT_EQ(u"", field.text()) << "backspace in an empty field";

    field.setText(u"a\U0001F600b");
    field.deleteBack();
    EXPECT_EQ(u"a\U0001F600", field.text());
    field.deleteBack();
    EXPECT_EQ(u"a", field.text()) << "the emoji's two code units go together";
    field.setText(u"ab");
    field.setCursor(1);
    field.deleteBack();
    EXPECT_EQ(u"b", field.text());
    EXPECT_EQ(0u, field.cursor());
}

TEST(TextField, DeleteWordBackTakesTheBlanksThenTheWord)
{
    struct Case {
        const char16_t *text;
        size_t cursor;
        const char16_t *after;
        size_t cursorAfter;
    };
    static const Case cases[] = {
        {u"foo bar", 7, u"foo ", 4},       // the word just before the cursor
        {u"foo bar  ", 9, u"foo ", 4},     // trailing blanks first, then the word
        {u"foo\tbar\n", 8, u"foo\t", 4},   // tab and newline are blanks too
        {u"foo barbaz", 7, u"foo baz", 4}, // only what lies before the cursor
        {u"   ", 3, u"", 0},               // blanks alone
        {u"word", 0, u"word", 0},          // nothing before the cursor
        {u"a.b,c d", 5, u" d", 0},         // punctuation belongs to the word
    };
    for (const Case &c : cases) {
        TextField field;
        field.setText(c.text);
        field.setCursor(c.cursor);
        field.deleteWordBack();
        EXPECT_EQ(std::u16string(c.after), field.text()) << "from \"" << utf8FromUtf16(c.text) << "\"";
        EXPECT_EQ(c.cursorAfter, field.cursor()) << "from \"" << utf8FromUtf16(c.text) << "\"";
    }
}
