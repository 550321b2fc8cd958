// String primitives: trimming, case, right part, decimal text, counting,
// fields and replacement.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>

#include "support/literal_rules.h"
#include "support/standin.h"
#include "text/text.h"

namespace {

std::string Show(TextView text) { return ::testing::PrintToString(Text(text)); }

class TextStrings : public ::testing::Test {
protected:
    void SetUp() override { standin::Reset(); }
};

TEST_F(TextStrings, LengthAndEqualityCountCodeUnitsAndCase) {
    EXPECT_EQ(TextLength(u""), 0u);
    EXPECT_EQ(TextLength(u"\U0001F600x"), 3u); // a pair counts as two
    EXPECT_FALSE(TextEquals(u" ", u""));
    EXPECT_FALSE(TextEquals(u"A", u"a"));
    EXPECT_FALSE(TextEquals(u"ab", u"abc"));
    EXPECT_TRUE(TextEquals(u"a\r\nb", u"a\r\nb"));
}

TEST_F(TextStrings, TrimRemovesOnlySpacesAtTheEnds) {
    struct Case {
        const char16_t* text;
        const char16_t* expected;
    };
    static const Case cases[] = {
        {u"", u""},
        {u"   ", u""},
        {u"  a b  ", u"a b"},
        {u"\tword ", u"\tword"},
        {u" word\r\n", u"word\r\n"},
        {u"\u00A0x\u00A0", u"\u00A0x\u00A0"}, // no-break space stays
        {u"x", u"x"},
    };
    for (const Case& c : cases) EXPECT_EQ(TrimSpaces(c.text), c.expected) << "text: " << Show(c.text);
}

TEST_F(TextStrings, LowerCaseGoesThroughThePlatformAndKeepsTheLength) {
    const Text text = u"ПРИВЕТ Мир ÀÉ ΣΩ ABC-1\U0001F600";
    const Text lowered = LowerCase(text);
    EXPECT_EQ(lowered, u"привет мир àé σω abc-1\U0001F600");
    EXPECT_EQ(lowered.size(), text.size());
}

TEST_F(TextStrings, RightPartClampsTheCount) {
    struct Case {
        int64_t n;
        const char16_t* expected;
    };
    static const Case cases[] = {
        {4, u"abc"},
        {3, u"abc"},
        {2, u"bc"},
        {0, u""},
        {-1, u""},
        {std::numeric_limits<int64_t>::max(), u"abc"},
        {std::numeric_limits<int64_t>::min(), u""},
    };
    for (const Case& c : cases) EXPECT_EQ(RightPart(u"abc", c.n), c.expected) << "n: " << c.n;
    EXPECT_EQ(RightPart(u"", 2), u"");
}

TEST_F(TextStrings, DecimalTextCoversTheWholeRange) {
    struct Case {
        int64_t value;
        const char16_t* expected;
    };
    static const Case cases[] = {
        {0, u"0"},
        {-5, u"-5"},
        {7, u"7"},
        {10, u"10"},
        {-100, u"-100"},
        {1234567, u"1234567"},
        {std::numeric_limits<int64_t>::max(), u"9223372036854775807"},
        {std::numeric_limits<int64_t>::min(), u"-9223372036854775808"},
    };
    for (const Case& c : cases) EXPECT_EQ(DecimalText(c.value), c.expected) << "value: " << c.value;
}

TEST_F(TextStrings, CountOccurrencesNeverOverlaps) {
    struct Case {
        const char16_t* text;
        const char16_t* find;
        int64_t expected;
    };
    static const Case cases[] = {
        {u"    ", u"  ", 2},
        {u"   ", u"  ", 1},
        {u"", u" ", 0},
        {u"abc", u"", 0},
        {u"", u"", 0},
        {u"ababa", u"aba", 1},
        {u"aabaabaab", u"aab", 3},
        {u"abcabd", u"abd", 1}, // a false start just before a match
        {u"aAaA", u"a", 2},     // letter case matters
        {u"ab", u"abc", 0},
        {u"\r\n\r\n\r\n", u"\r\n\r\n", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CountOccurrences(c.text, c.find), c.expected)
            << "text: " << Show(c.text) << " find: " << Show(c.find);
}

TEST_F(TextStrings, NthFieldCutsAtEverySeparator) {
    struct Case {
        const char16_t* text;
        int64_t index;
        const char16_t* separator;
        const char16_t* expected;
    };
    static const Case cases[] = {
        {u" a b ", 1, u" ", u""},
        {u" a b ", 2, u" ", u"a"},
        {u" a b ", 3, u" ", u"b"},
        {u" a b ", 4, u" ", u""},
        {u"a,,c", 2, u",", u""},
        {u"a,,c", 3, u",", u"c"},
        {u"a,,c", 4, u",", u""},
        {u"a,,c", 0, u",", u""},
        {u"a,,c", -1, u",", u""},
        {u"plain", 1, u",", u"plain"},
        {u"plain", 2, u",", u""},
        {u"a,b", 1, u"", u"a,b"},
        {u"a,b", 2, u"", u""},
        {u"", 1, u",", u""},
        {u"one\r\ntwo\r\n\r\nfour", 4, u"\r\n", u"four"},
        {u"one\r\ntwo\r\n\r\nfour", 3, u"\r\n", u""},
        {u"aaaXaa", 2, u"aa", u"aX"}, // the separator's occurrences do not overlap
        {u"aXbxc", 2, u"x", u"c"},    // letter case matters
    };
    for (const Case& c : cases)
        EXPECT_EQ(NthField(c.text, c.index, c.separator), c.expected)
            << "text: " << Show(c.text) << " index: " << c.index << " separator: " << Show(c.separator);
}

TEST_F(TextStrings, FieldsJoinBackToTheText) {
    // For a non-empty separator there are exactly count + 1 fields, and
    // joining them with the separator gives the text back.
    struct Case {
        const char16_t* text;
        const char16_t* separator;
    };
    static const Case cases[] = {
        {u"", u" "},           {u" ", u" "},      {u"  x  ", u" "},         {u"a\r\n\r\nb\r\n", u"\r\n"},
        {u"aaaaa", u"aa"},     {u"abcab", u"ab"}, {u"no separator", u"|"},
    };
    for (const Case& c : cases) {
        const int64_t fields = CountOccurrences(c.text, c.separator) + 1;
        Text joined;
        for (int64_t i = 1; i <= fields; ++i) {
            if (i > 1) joined += c.separator;
            joined += NthField(c.text, i, c.separator);
        }
        EXPECT_EQ(joined, c.text) << "separator: " << Show(c.separator);
        EXPECT_EQ(NthField(c.text, fields + 1, c.separator), u"") << "text: " << Show(c.text);
    }
}

TEST_F(TextStrings, ReplaceAllRepeatsPassesUntilNothingIsLeft) {
    struct Case {
        const char16_t* text;
        const char16_t* find;
        const char16_t* replacement;
        const char16_t* expected;
    };
    static const Case cases[] = {
        {u"     ", u"  ", u" ", u" "},
        {u"a  b   c    d", u"  ", u" ", u"a b c d"},
        {u"\r\n\r\n\r\n", u"\r\n\r\n", u"\r\n", u"\r\n"},
        {u"one\r\n\r\n\r\n\r\ntwo\r\n", u"\r\n\r\n", u"\r\n", u"one\r\ntwo\r\n"},
        {u"no match here", u"  ", u" ", u"no match here"},
        {u"text", u"", u"x", u"text"},
        {u"", u"a", u"b", u""},
        {u"a\tb\rc\nd", u"\t", u" ", u"a b\rc\nd"},
        {u"two words here", u" ", u"_", u"two_words_here"},
        {u"xaBy", u"AB", u"-", u"x-y"},         // case is ignored in text and find
        {u"ABab", u"ab", u"Q", u"QQ"},
        {u"aБВb", u"бв", u"", u"ab"},           // beyond ASCII too
        {u"xAbx", u"ab", u"Zz", u"xZzx"},       // the replacement goes in unchanged
        // Each pass replaces left to right and does not rescan what it wrote:
        // the first pass turns the two runs of three into "yx" each, after
        // which nothing is left to replace. Rescanning as it goes would have
        // reached "yyxx" instead.
        {u"xxxxxx", u"xxx", u"yx", u"yxyx"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected)
            << "text: " << Show(c.text) << " find: " << Show(c.find);
}

TEST_F(TextStrings, ReplaceAllCollapsesLongRuns) {
    const Text text = u"a" + Text(100000, u' ') + u"b" + Text(99999, u' ') + u"c";
    EXPECT_EQ(ReplaceAll(text, u"  ", u" "), u"a b c");
}

} // namespace

// The fast search and the passes that revisit only the last replacements,
// against the plain rules, on texts long enough to cross many 64-unit blocks.
TEST_F(TextStrings, ReplaceAllCountAndFieldsMatchThePlainRulesOnLongTexts) {
    std::mt19937 rng(4242);
    const Text units = u"  \t\r\nabAB\u0416\u0436x";
    const std::pair<Text, Text> replacements[] = {
        {u"  ", u" "}, {u" \r\n", u"\r\n"}, {u"\r\n\r\n", u"\r\n"}, {u"\r\n\r\n\r\n", u"\r\n\r\n"},
        {u"\r\n ", u"\r\n"}, {u"ab", u"b"}, {u"\u0416\u0416", u"\u0436"}, {u"aaaaaaaaaa", u"a"},
    };
    for (int t = 0; t < 40; ++t) {
        Text text;
        size_t length = 500 + rng() % 6000;
        while (text.size() < length) {
            char16_t unit = units[rng() % units.size()];
            text.append(rng() % 4 == 0 ? 1 + rng() % 300 : 1, unit);
        }
        for (const auto& [find, replacement] : replacements) {
            SCOPED_TRACE(::testing::PrintToString(find));
            EXPECT_EQ(ReplaceAll(text, find, replacement), LiteralReplaceAll(text, find, replacement));
            EXPECT_EQ(CountOccurrences(text, find), LiteralCountOccurrences(text, find));
            for (int64_t index : {int64_t(1), int64_t(2), int64_t(7), CountOccurrences(text, find) + 1})
                EXPECT_EQ(NthField(text, index, find), LiteralNthField(text, index, find));
        }
        if (HasFailure()) return;
    }
}
