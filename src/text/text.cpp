// String primitives: length, equality, trimming, case, counting, fields and
// replacement. All of them are pure and run in time linear in their input.
#include "text/text.h"

#include <vector>

namespace {

// Scans text for find without ever stepping back (Knuth-Morris-Pratt), so a
// scan costs text plus find whatever the two hold. After a match the scan
// restarts just past it: occurrences never overlap, leftmost first.
struct Scanner {
    TextView find;
    std::vector<size_t> border; // border[i]: longest proper border of find[0..i]
};

Scanner MakeScanner(TextView find) {
    Scanner scanner{find, std::vector<size_t>(find.size(), 0)};
    size_t k = 0;
    for (size_t i = 1; i < find.size(); ++i) {
        while (k > 0 && find[i] != find[k]) k = scanner.border[k - 1];
        if (find[i] == find[k]) ++k;
        scanner.border[i] = k;
    }
    return scanner;
}

// Calls onMatch(position) for every occurrence of a non-empty find; onMatch
// returns false to end the scan early.
template <typename OnMatch>
void ForEachOccurrence(const Scanner& scanner, TextView text, OnMatch&& onMatch) {
    const TextView find = scanner.find;
    if (find.empty()) return;
    size_t matched = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        while (matched > 0 && text[i] != find[matched]) matched = scanner.border[matched - 1];
        if (text[i] == find[matched]) ++matched;
        if (matched == find.size()) {
            if (!onMatch(i + 1 - find.size())) return;
            matched = 0;
        }
    }
}

} // namespace

size_t TextLength(TextView text) { return text.size(); }

bool TextEquals(TextView a, TextView b) { return a == b; }

Text TrimSpaces(TextView text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] == u' ') ++first;
    while (last > first && text[last - 1] == u' ') --last;
    return Text(text.substr(first, last - first));
}

Text LowerCase(TextView text) {
    Text lowered = platform::LowerCase(text);
    // Callers match positions in the lowered copy against the original, so a
    // mapping that changed the length would be worse than none at all.
    if (lowered.size() != text.size()) return Text(text);
    return lowered;
}

Text RightPart(TextView text, int64_t n) {
    if (n <= 0) return Text();
    if (static_cast<uint64_t>(n) >= text.size()) return Text(text);
    return Text(text.substr(text.size() - static_cast<size_t>(n)));
}

Text DecimalText(int64_t value) {
    // Work on the magnitude as unsigned: negating INT64_MIN would overflow.
    uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    char16_t digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    Text result;
    result.reserve(count + 1);
    if (value < 0) result.push_back(u'-');
    while (count > 0) result.push_back(digits[--count]);
    return result;
}

int64_t CountOccurrences(TextView text, TextView find) {
    if (text.empty() || find.empty()) return 0;
    int64_t count = 0;
    ForEachOccurrence(MakeScanner(find), text, [&](size_t) {
        ++count;
        return true;
    });
    return count;
}

Text NthField(TextView text, int64_t index, TextView separator) {
    if (index < 1) return Text();
    if (separator.empty()) return index == 1 ? Text(text) : Text();
    int64_t field = 1;
    size_t fieldStart = 0;
    Text result;
    bool found = false;
    ForEachOccurrence(MakeScanner(separator), text, [&](size_t position) {
        if (field == index) {
            result = Text(text.substr(fieldStart, position - fieldStart));
            found = true;
            return false;
        }
        ++field;
        fieldStart = position + separator.size();
        return true;
    });
    if (found) return result;
    // The last field runs from the last separator to the end.
    if (field == index) return Text(text.substr(fieldStart));
    return Text();
}

Text ReplaceAll(TextView text, TextView find, TextView replacement) {
    Text current(text);
    if (find.empty()) return current;
    const Text lowerFind = LowerCase(find);
    const Scanner scanner = MakeScanner(lowerFind);
    for (;;) {
        // Matching runs on a lower-cased copy; it has the same length, so its
        // positions are those of the current text.
        const Text lowered = LowerCase(current);
        Text next;
        size_t copied = 0;
        bool replaced = false;
        ForEachOccurrence(scanner, lowered, [&](size_t position) {
            next.append(current, copied, position - copied);
            next.append(replacement);
            copied = position + lowerFind.size();
            replaced = true;
            return true;
        });
        if (!replaced) return current;
        next.append(current, copied, Text::npos);
        current = std::move(next);
    }
}
