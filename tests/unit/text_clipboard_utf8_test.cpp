// The clipboard's text and the UTF-8 encoding.
#include <gtest/gtest.h>

#include "support/standin.h"
#include "text/text.h"

namespace {

class TextClipboard : public ::testing::Test {
protected:
    void SetUp() override { standin::Reset(); }
};

TEST_F(TextClipboard, ReadGivesTheEmptyTextWhenThereIsNoTextToRead) {
    standin::Get().clipboard.reset(); // empty, or an image only
    EXPECT_EQ(ReadClipboardText(), u"");

    standin::Get().clipboard = u"held";
    standin::Get().clipboardLocked = true;
    EXPECT_EQ(ReadClipboardText(), u"");
}

TEST_F(TextClipboard, WriteThenReadGivesTheTextBack) {
    const Text text = u"line one\r\nстрока два\r\n\U0001F600";
    WriteClipboardText(text);
    EXPECT_EQ(ReadClipboardText(), text);

    WriteClipboardText(u"");
    ASSERT_TRUE(standin::Get().clipboard.has_value()); // the empty text is a text
    EXPECT_EQ(*standin::Get().clipboard, u"");
}

TEST_F(TextClipboard, WriteToALockedClipboardKeepsItsContent) {
    standin::Get().clipboard = u"before";
    standin::Get().clipboardLocked = true;
    WriteClipboardText(u"after");
    standin::Get().clipboardLocked = false;
    EXPECT_EQ(ReadClipboardText(), u"before");
}

TEST(TextUtf8, EncodesEveryRangeAndReplacesUnpairedSurrogates) {
    struct Case {
        Text text;
        std::string expected;
    };
    const Case cases[] = {
        {u"", ""},
        {u"abc\r\n", "abc\r\n"},
        {Text(1, u'\0'), std::string(1, '\0')},
        {u"\u007F\u0080", "\x7F\xC2\x80"},
        {u"\u07FF\u0800", "\xDF\xBF\xE0\xA0\x80"},
        {u"Привет", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"},
        {u"中文", "\xE4\xB8\xAD\xE6\x96\x87"},
        {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {u"\U0010FFFF", "\xF4\x8F\xBF\xBF"},
        {Text{char16_t(0xD83D)}, "\xEF\xBF\xBD"},
        {Text{char16_t(0xDE00)}, "\xEF\xBF\xBD"},
        {Text{char16_t(0xD83D), u'a'}, "\xEF\xBF\xBD" "a"},
        {Text{char16_t(0xDE00), char16_t(0xD83D)}, "\xEF\xBF\xBD\xEF\xBF\xBD"}, // in the wrong order
        {Text{char16_t(0xD83D), char16_t(0xD83D), char16_t(0xDE00)}, "\xEF\xBF\xBD\xF0\x9F\x98\x80"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EncodeUtf8(c.text), c.expected) << "text: " << ::testing::PrintToString(c.text);
}

} // namespace
