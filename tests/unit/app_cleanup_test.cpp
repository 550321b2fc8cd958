#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <vector>

#include "app/cleanup.h"
#include "app/form.h"
#include "app/save.h"
#include "app_fixture.h"
#include "support/literal_rules.h"
#include "text/text.h"

namespace {

std::vector<Text> Copies(const std::vector<TextView>& views) { return {views.begin(), views.end()}; }

// Texts made of the pieces that trouble the rules: runs of spaces and of line
// breaks, lone CRs and LFs, TABs, surrogates, and words around the wrap width.
std::vector<Text> GeneratedTexts(size_t count) {
    const std::vector<Text> pieces = {
        u"a", u"to", u"word", u"Lorem", u"ipsum.", u"ПЛАН", u"\xD83D\xDE00", u"x\xD83D\xDE00y", u"\xD800",
        u" ", u" ", u" ", u" ", u"  ", u"     ", u"\t", u"\t \t", u" \t",
        u"\r\n", u"\r\n", u"\r\n\r\n", u"\r\n\r\n\r\n\r\n\r\n", u"\r", u"\n", u"\n\r", u"\r\r\n\n",
        u" \r\n ", u"\r\n \r\n", u"  \r\n  \r\n  ",
    };
    std::mt19937 rng(20261211);
    std::vector<Text> texts;
    for (size_t t = 0; t < count; ++t) {
        Text text;
        size_t length = rng() % 120;
        for (size_t i = 0; i < length; ++i) {
            size_t pick = rng() % (pieces.size() + 4);
            if (pick < pieces.size()) text += pieces[pick];
            else text += Text(58 + rng() % 12, u'w'); // 58 to 69 units: both sides of the width
        }
        texts.push_back(text);
    }
    return texts;
}

} // namespace

using CleanupTest = FormTest;

TEST_F(CleanupTest, CompressSpacesCollapsesSpacesAndDropsEmptyLines) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Hello···world··↵↵↵Next····line·↵", u"Hello·world↵Next·line↵"},
        {u"a·↵·↵b", u"a↵b"},
        {u"··lead", u"·lead"},
        {u"x··↵↵y···", u"x↵y·"},
        {u"a→·→b··↵··↵↵c", u"a→·→b↵c"},
        {u"↵↵x", u"↵x"},
        {u"", u""},
        {u"a\r·\nb\n\r\n\rc", u"a\r·\nb\n\r\n\rc"}, // lone CRs and LFs are ordinary
    };
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(before)));
        platform::SetGadgetText(Editor, Notation(before));
        CompressSpaces(CompressSpacesButton);
        EXPECT_EQ(TextOf(Editor), Notation(after));
        CompressSpaces(CompressSpacesButton); // a second run changes nothing
        EXPECT_EQ(TextOf(Editor), Notation(after));
    }
}

TEST_F(CleanupTest, ColumnWrapReflowsIntoLinesOfSixtyFive) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"hello·world", u"hello·world·"},
        {u"a→b→→c", u"a·b·c·"},
        {u"··leading·two", u"·leading·two·"},
        {u"tail·space·", u"tail·space··"},
        {u"end.·↵·next", u"end.·↵next·"},
        {u"a·↵·↵·b", u"a·↵↵b·"},
        {u"para·one.↵↵↵↵para·two.", u"para·one.↵↵para·two.·"},
        {u"Line·one·of·text.↵Line·two·of·text.", u"Line·one·of·text.↵Line·two·of·text.·"},
        {u"", u"·"},
        {u"ends·with·a·break↵", u"ends·with·a·break↵"},
    };
    for (const auto& [before, after] : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(before)));
        platform::SetGadgetText(Editor, Notation(before));
        ColumnWrap(ColumnWrapButton);
        EXPECT_EQ(TextOf(Editor), Notation(after));
    }
}

TEST_F(CleanupTest, ColumnWrapLongCasesLineByLine) {
    Text sentence = u"The quick brown fox jumps over the lazy dog.";
    Text x65(65, u'x');
    struct Case {
        Text before;
        std::vector<Text> lines;
    };
    const Case cases[] = {
        {sentence + u" " + sentence + u" " + sentence,
         {u"The quick brown fox jumps over the lazy dog. The quick brown fox ",
          u"jumps over the lazy dog. The quick brown fox jumps over the lazy ", u"dog. "}},
        // The text before the break counts towards the line that continues after it.
        {u"one two three four five six seven eight\r\nnine ten eleven twelve thirteen fourteen",
         {u"one two three four five six seven eight", u"nine ten eleven twelve ", u"thirteen fourteen "}},
        // A first word longer than 64 leaves an empty first line.
        {x65 + u" y", {u"", x65 + u" ", u"y "}},
        // 64 units and the space fill a line exactly.
        {Text(64, u'z') + u" a b", {Text(64, u'z') + u" ", u"a b "}},
    };
    ASSERT_EQ(cases[0].before.size(), 134u);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.before));
        platform::SetGadgetText(Editor, c.before);
        ColumnWrap(ColumnWrapButton);
        Text expected;
        for (size_t i = 0; i < c.lines.size(); ++i) expected += (i ? u"\r\n" : u"") + c.lines[i];
        EXPECT_EQ(TextOf(Editor), expected);
    }
}

TEST_F(CleanupTest, ColumnWrapOnItsOwnResultKeepsGrowing) {
    EXPECT_EQ(ColumnWrapped(ColumnWrapped(u"hello world")), u"hello world  ");
    Text sentence = u"The quick brown fox jumps over the lazy dog.";
    Text twice = ColumnWrapped(ColumnWrapped(sentence + u" " + sentence + u" " + sentence));
    EXPECT_NE(twice.find(u"fox \r\n\r\njumps"), Text::npos) << ::testing::PrintToString(twice);
}

TEST(CleanupRules, OnePassCodeMatchesTheLiteralRules) {
    for (const Text& text : GeneratedTexts(400)) {
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(CompressedSpaces(text), LiteralCompressSpaces(text));
        EXPECT_EQ(ColumnWrapped(text), LiteralColumnWrap(text));
        for (const Text separator : {Text(u" "), Text(u"  "), Text(u"\r\n"), Text()})
            EXPECT_EQ(Copies(SplitWords(text, separator)), LiteralSplitWords(text, separator));
        std::vector<TextView> words = SplitWords(text, u" ");
        for (size_t width : {size_t(0), size_t(1), size_t(7), WrapWidth, size_t(300)})
            EXPECT_EQ(WrapWords(words, width), LiteralWrapWords(Copies(words), width));
        if (HasFailure()) return; // one failing text says enough
    }
}

// The fast paths work on blocks of 64 units and copy whole runs of words at
// once: long runs of spaces, TABs and line breaks, and words around the width
// on either side of a block's edge, are where they could go wrong.
TEST(CleanupRules, OnePassCodeMatchesTheLiteralRulesOnLongRuns) {
    std::mt19937 rng(77);
    auto run = [&](char16_t unit, size_t least, size_t most) {
        return Text(least + rng() % (most - least + 1), unit);
    };
    for (int t = 0; t < 60; ++t) {
        Text text;
        size_t pieces = 20 + rng() % 200;
        for (size_t i = 0; i < pieces; ++i) {
            switch (rng() % 9) {
            case 0: text += run(u' ', 60, 140); break;
            case 1: text += run(u'\t', 1, 130); break;
            case 2: for (size_t k = 0, n = 1 + rng() % 70; k < n; ++k) text += u"\r\n"; break;
            case 3: for (size_t k = 0, n = 1 + rng() % 40; k < n; ++k) text += u" \r\n"; break;
            case 4: text += run(u'w', 55, 75); break;
            case 5: text += u"\r"; break;
            case 6: text += u"\n\xD83D\xDE00"; break;
            default: text += run(u'a', 1, 9); text += u' '; break;
            }
        }
        SCOPED_TRACE(::testing::PrintToString(text));
        EXPECT_EQ(CompressedSpaces(text), LiteralCompressSpaces(text));
        EXPECT_EQ(ColumnWrapped(text), LiteralColumnWrap(text));
        if (HasFailure()) return;
    }
}

TEST(CleanupRules, NoWordsGiveNoLines) { EXPECT_TRUE(WrapWords({}, WrapWidth).empty()); }

TEST(CleanupRules, JoinLinesPutsTheSeparatorOnlyBetween) {
    EXPECT_EQ(JoinLines({}, u"\r\n"), u"");
    EXPECT_EQ(JoinLines({u""}, u"\r\n"), u"");
    EXPECT_EQ(JoinLines({u"a ", u"", u"b "}, u"\r\n"), u"a \r\n\r\nb ");
}

// Megabytes of pasted text must not cost a pass per halving of a run, nor a
// scan from the start per word.
TEST(CleanupRules, LargeTextsComeOutWhole) {
    Text messy;
    Text compressed;
    for (int i = 0; i < 1000; ++i) {
        messy += u"x" + Text(1000, u' ');
        for (int k = 0; k < 500; ++k) messy += u"\r\n";
        messy += u"  \t ";
        compressed += u"x\r\n \t ";
    }
    EXPECT_EQ(CompressedSpaces(messy), compressed);

    Text words;
    for (int i = 0; i < 100000; ++i) words += u"abcdefghij       \t";
    const Text line = u"abcdefghij abcdefghij abcdefghij abcdefghij abcdefghij ";
    Text wrapped;
    for (int i = 0; i < 20000; ++i) wrapped += (i ? u"\r\n" : u"") + line;
    wrapped += u" "; // the empty word after the last space
    EXPECT_EQ(ColumnWrapped(words), wrapped);
}

// A clipboard of 64 Mi units goes through start-up, both commands and a save
// whole: nothing is cut, and the commands keep their promises at that size.
TEST(HugeClipboard, IsShownCleanedUpAndSavedWhole) {
    const Text line = u"Lorem  ipsum\tdolor   sit amet, ПЛАН \xD83D\xDE00 consectetur adipiscing elit\r\n\r\n\r\n";
    Text text;
    text.reserve((64u << 20) + line.size());
    while (text.size() < (64u << 20)) text += line;
    text.resize(64u << 20);
    StartForm(u"vellisk.exe C:\\Docs\\huge.doc", text);
    ASSERT_EQ(TextOf(Editor).size(), text.size());
    EXPECT_TRUE(TextOf(Editor) == text);

    CompressSpaces(CompressSpacesButton);
    Text compressed = TextOf(Editor);
    EXPECT_LT(compressed.size(), text.size());
    EXPECT_EQ(compressed.find(u"  "), Text::npos);
    EXPECT_EQ(compressed.find(u"\r\n\r\n"), Text::npos);
    CompressSpaces(CompressSpacesButton);
    EXPECT_TRUE(TextOf(Editor) == compressed) << "a second run changed the text";

    ColumnWrap(ColumnWrapButton);
    Text wrapped = TextOf(Editor);
    size_t longest = 0;
    for (size_t start = 0; start < wrapped.size();) {
        size_t end = std::min(wrapped.find(u"\r\n", start), wrapped.size());
        longest = std::max(longest, end - start);
        start = end + 2;
    }
    EXPECT_LE(longest, 65u);

    standin::AddDirectory(u"C:\\Docs");
    SaveText(SaveButton);
    EXPECT_TRUE(standin::Get().messages.empty());
    std::optional<std::string> saved = standin::FileBytes(u"C:\\Docs\\huge.doc.txt");
    ASSERT_TRUE(saved.has_value());
    EXPECT_TRUE(*saved == EncodeUtf8(wrapped));
}
