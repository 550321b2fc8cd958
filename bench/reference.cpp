#include "reference.h"

#include <vector>

#include "text/text.h"

namespace reference {

namespace {

bool At(const Text& text, size_t position, const Text& find) {
    return position + find.size() <= text.size() && text.compare(position, find.size(), find) == 0;
}

// The pieces between non-overlapping occurrences of one space, empty ones
// included.
std::vector<Text> SplitAtSpaces(const Text& text) {
    std::vector<Text> words(1);
    for (char16_t c : text) {
        if (c == u' ') words.emplace_back();
        else words.back() += c;
    }
    return words;
}

std::vector<Text> WrapWords(const std::vector<Text>& words, size_t width) {
    std::vector<Text> lines;
    Text current;
    for (const Text& word : words) {
        Text candidate = current + word + u" ";
        if (candidate.size() > width) {
            lines.push_back(current);
            current = word + u" ";
        } else {
            current = std::move(candidate);
        }
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

Text JoinLines(const std::vector<Text>& lines, const Text& separator) {
    Text joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) joined += separator;
        joined += lines[i];
    }
    return joined;
}

} // namespace

Text ReplaceAll(Text text, const Text& find, const Text& replacement) {
    if (find.empty()) return text;
    const Text lowerFind = LowerCase(find);
    for (;;) {
        const Text lowered = LowerCase(text);
        Text next;
        bool replaced = false;
        size_t i = 0;
        while (i < text.size()) {
            if (At(lowered, i, lowerFind)) {
                next += replacement;
                i += lowerFind.size();
                replaced = true;
            } else {
                next += text[i++];
            }
        }
        if (!replaced) return text;
        text = std::move(next);
    }
}

int64_t CountOccurrences(const Text& text, const Text& find) {
    if (text.empty() || find.empty()) return 0;
    int64_t count = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (At(text, i, find)) {
            ++count;
            i += find.size();
        } else {
            ++i;
        }
    }
    return count;
}

Text CompressSpaces(Text text) {
    text = ReplaceAll(text, u"  ", u" ");
    text = ReplaceAll(text, u" \r\n", u"\r\n");
    return ReplaceAll(text, u"\r\n\r\n", u"\r\n");
}

Text ColumnWrap(Text text) {
    text = ReplaceAll(text, u"\t", u" ");
    text = ReplaceAll(text, u"  ", u" ");
    text = JoinLines(WrapWords(SplitAtSpaces(text), 65), u"\r\n");
    text = ReplaceAll(text, u"\r\n ", u"\r\n");
    return ReplaceAll(text, u"\r\n\r\n\r\n", u"\r\n\r\n");
}

std::string EncodeUtf8(const Text& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = 0xFFFD;
        }
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

} // namespace reference
