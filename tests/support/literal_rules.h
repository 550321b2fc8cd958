// The clean-up rules written out literally, the slow way, to hold the
// one-pass implementation against (in the unit tests and the fuzzers).
#pragma once

#include <vector>

#include "text/text.h"

// The text primitives, as plainly as they can be written: the clean-up
// rules below use them, and the fuzzers hold the real ones against them.
inline int64_t LiteralCountOccurrences(const Text& text, const Text& find) {
    if (text.empty() || find.empty()) return 0;
    int64_t count = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, find.size(), find) == 0 && i + find.size() <= text.size()) {
            ++count;
            i += find.size();
        } else {
            ++i;
        }
    }
    return count;
}

inline Text LiteralNthField(const Text& text, int64_t index, const Text& separator) {
    if (index < 1) return Text();
    if (separator.empty()) return index == 1 ? text : Text();
    int64_t field = 1;
    Text current;
    size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, separator.size(), separator) == 0 && i + separator.size() <= text.size()) {
            if (field == index) return current;
            ++field;
            current.clear();
            i += separator.size();
        } else {
            current += text[i++];
        }
    }
    return field == index ? current : Text();
}

inline Text LiteralReplaceAll(Text text, const Text& find, const Text& replacement) {
    Text lowFind = LowerCase(find);
    for (;;) {
        Text low = LowerCase(text);
        if (LiteralCountOccurrences(low, lowFind) == 0) return text;
        Text next;
        size_t i = 0;
        while (i < text.size()) {
            if (low.compare(i, lowFind.size(), lowFind) == 0 && i + lowFind.size() <= low.size()) {
                next += replacement;
                i += lowFind.size();
            } else {
                next += text[i++];
            }
        }
        text = next;
    }
}

inline Text LiteralCompressSpaces(Text text) {
    text = LiteralReplaceAll(text, u"  ", u" ");
    text = LiteralReplaceAll(text, u" \r\n", u"\r\n");
    return LiteralReplaceAll(text, u"\r\n\r\n", u"\r\n");
}

inline std::vector<Text> LiteralSplitWords(const Text& text, const Text& separator) {
    int64_t count = LiteralCountOccurrences(text, separator);
    if (count < 1) return {text};
    std::vector<Text> words;
    for (int64_t i = 1; i <= count + 1; ++i) words.push_back(LiteralNthField(text, i, separator));
    return words;
}

inline std::vector<Text> LiteralWrapWords(const std::vector<Text>& words, size_t width) {
    std::vector<Text> lines;
    Text current;
    for (const Text& word : words) {
        Text candidate = current + word + u" ";
        if (TextLength(candidate) > width) {
            lines.push_back(current);
            current = word + u" ";
        } else {
            current = candidate;
        }
    }
    if (TextLength(current) > 0) lines.push_back(current);
    return lines;
}

inline Text LiteralJoinLines(const std::vector<Text>& lines, const Text& separator) {
    Text joined;
    for (size_t i = 0; i < lines.size(); ++i) joined += (i == 0 ? Text() : separator) + lines[i];
    return joined;
}

inline Text LiteralColumnWrap(Text text) {
    text = LiteralReplaceAll(text, u"\t", u" ");
    text = LiteralReplaceAll(text, u"  ", u" ");
    text = LiteralJoinLines(LiteralWrapWords(LiteralSplitWords(text, u" "), 65), u"\r\n");
    text = LiteralReplaceAll(text, u"\r\n ", u"\r\n");
    return LiteralReplaceAll(text, u"\r\n\r\n\r\n", u"\r\n\r\n");
}
