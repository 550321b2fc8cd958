#include "app/cleanup.h"

#include "app/form.h"

// Every helper below is one left-to-right pass that produces what repeating a
// replacement until nothing is left to replace would produce, so that a
// megabyte of pasted text costs one pass per step and not one per halving.

namespace {

bool IsLineBreakAt(TextView text, size_t i) {
    return i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n';
}

// Every run of spaces becomes one space; with tabsToo a TAB counts as a space.
Text CollapseSpaceRuns(TextView text, bool tabsToo) {
    Text out;
    out.reserve(text.size());
    bool lastWasSpace = false;
    for (char16_t c : text) {
        bool space = c == u' ' || (tabsToo && c == u'\t');
        if (space) {
            if (!lastWasSpace) out.push_back(u' ');
        } else {
            out.push_back(c);
        }
        lastWasSpace = space;
    }
    return out;
}

// A run of spaces right before a CR LF goes.
Text DropSpacesBeforeLineBreaks(TextView text) {
    Text out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != u' ') {
            out.push_back(text[i++]);
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] == u' ') ++end;
        if (!IsLineBreakAt(text, end)) out.append(text.substr(i, end - i));
        i = end;
    }
    return out;
}

// A run of spaces right after a CR LF goes.
Text DropSpacesAfterLineBreaks(TextView text) {
    Text out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (IsLineBreakAt(text, i)) {
            out.append(u"\r\n");
            i += 2;
            while (i < text.size() && text[i] == u' ') ++i;
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

// A run of more than `most` CR LF pairs is cut down to `most` pairs. A CR LF
// pair is unambiguous (a CR is never an LF), so runs cannot be miscounted.
Text LimitLineBreakRuns(TextView text, size_t most) {
    Text out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (!IsLineBreakAt(text, i)) {
            out.push_back(text[i++]);
            continue;
        }
        size_t pairs = 0;
        while (IsLineBreakAt(text, i)) {
            i += 2;
            ++pairs;
        }
        for (size_t k = 0; k < pairs && k < most; ++k) out.append(u"\r\n");
    }
    return out;
}

} // namespace

Text CompressedSpaces(TextView text) {
    Text result = CollapseSpaceRuns(text, false);
    result = DropSpacesBeforeLineBreaks(result);
    return LimitLineBreakRuns(result, 1);
}

Text ColumnWrapped(TextView text) {
    Text flat = CollapseSpaceRuns(text, true);
    std::vector<TextView> words = SplitWords(flat, u" ");
    std::vector<Text> lines = WrapWords(words, WrapWidth);
    Text result = JoinLines(lines, u"\r\n");
    // A word that carried a line break got its packing space after the break.
    result = DropSpacesAfterLineBreaks(result);
    return LimitLineBreakRuns(result, 2);
}

int CompressSpaces(int32_t) {
    Text text = platform::GadgetText(Editor);
    platform::SetGadgetText(Editor, CompressedSpaces(text));
    return 0;
}

int ColumnWrap(int32_t) {
    Text text = platform::GadgetText(Editor);
    platform::SetGadgetText(Editor, ColumnWrapped(text));
    return 0;
}

std::vector<TextView> SplitWords(TextView text, TextView separator) {
    std::vector<TextView> words;
    if (separator.empty()) {
        words.push_back(text);
        return words;
    }
    size_t start = 0;
    while (true) {
        size_t found = text.find(separator, start);
        if (found == TextView::npos) break;
        words.push_back(text.substr(start, found - start));
        start = found + separator.size();
    }
    words.push_back(text.substr(start));
    return words;
}

std::vector<Text> WrapWords(const std::vector<TextView>& words, size_t width) {
    std::vector<Text> lines;
    Text current;
    for (TextView word : words) {
        // The length counts everything, line breaks inside words included.
        if (current.size() + word.size() + 1 > width) {
            lines.push_back(std::move(current));
            current.clear();
        }
        current.append(word);
        current.push_back(u' ');
    }
    if (!current.empty()) lines.push_back(std::move(current));
    return lines;
}

Text JoinLines(const std::vector<Text>& lines, TextView separator) {
    size_t total = 0;
    for (const Text& line : lines) total += line.size() + separator.size();
    Text joined;
    joined.reserve(total);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) joined.append(separator);
        joined.append(lines[i]);
    }
    return joined;
}
