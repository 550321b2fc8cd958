#include "sample_text.h"

#include <algorithm>

namespace {

// splitmix64: tiny, fast, and the same on every compiler and library, unlike
// the distributions of <random>.
struct Rng {
    uint64_t state;

    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); the bias of a plain modulo is irrelevant here.
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
    size_t Between(size_t low, size_t high) { return low + Below(high - low + 1); }
    // True with the given chance in percent.
    bool Percent(size_t chance) { return Below(100) < chance; }
};

// Word lengths roughly as in running prose: mostly short, a long tail.
size_t WordLength(Rng& rng) {
    static const uint8_t weights[] = {0, 4, 14, 18, 16, 12, 9, 8, 6, 4, 3, 2, 2, 1, 1};
    size_t total = 0;
    for (uint8_t w : weights) total += w;
    size_t pick = rng.Below(total);
    for (size_t length = 0; length < std::size(weights); ++length) {
        if (pick < weights[length]) return length;
        pick -= weights[length];
    }
    return 5;
}

class Writer {
public:
    Writer(size_t units, uint64_t seed) : rng_{seed}, target_(units) { text_.reserve(units + 4096); }

    Text Take() {
        while (text_.size() < target_) Paragraph();
        text_.resize(target_);
        return std::move(text_);
    }

private:
    void Paragraph() {
        cyrillic_ = rng_.Percent(25);
        const size_t lines = rng_.Between(1, 8);
        for (size_t i = 0; i < lines; ++i) Line();
        // What separates paragraphs in pasted mail and web pages.
        const size_t pick = rng_.Below(100);
        if (pick < 65) {
            Break();
        } else if (pick < 80) {
            for (size_t i = rng_.Between(2, 3); i > 0; --i) Break();
        } else if (pick < 92) {
            Spaces(rng_.Between(1, 6));
            if (rng_.Percent(30)) text_ += u'\t';
            Break();
        }
    }

    void Line() {
        if (rng_.Percent(10)) {
            if (rng_.Percent(50)) text_ += u'\t';
            else Spaces(rng_.Between(2, 8));
        }
        size_t length;
        const size_t pick = rng_.Below(100);
        if (pick < 85) length = rng_.Between(20, 100);
        else if (pick < 95) length = rng_.Between(100, 200);
        else length = rng_.Between(200, 800);
        const size_t end = text_.size() + length;
        bool sentenceStart = true;
        while (text_.size() < end) {
            Word(sentenceStart);
            sentenceStart = false;
            if (rng_.Percent(12)) {
                text_ += rng_.Percent(70) ? u'.' : (rng_.Percent(50) ? u'!' : u'?');
                sentenceStart = true;
            } else if (rng_.Percent(8)) {
                text_ += u',';
            }
            if (text_.size() < end) Gap();
        }
        if (rng_.Percent(15)) Spaces(rng_.Between(1, 4));
        Break();
    }

    void Word(bool capital) {
        if (rng_.Percent(1)) {
            // A web address or a file path: long, no spaces.
            text_ += u"https://example.org/";
            for (size_t i = rng_.Between(5, 50); i > 0; --i) text_ += static_cast<char16_t>(u'a' + rng_.Below(26));
            return;
        }
        if (rng_.Percent(2)) {
            // A number.
            for (size_t i = rng_.Between(1, 6); i > 0; --i) text_ += static_cast<char16_t>(u'0' + rng_.Below(10));
            return;
        }
        if (rng_.Percent(1)) {
            text_ += u"\U0001F600"; // a surrogate pair
            return;
        }
        const bool shout = rng_.Percent(3);
        const char16_t first = cyrillic_ ? u'\u0430' : u'a';
        const size_t letters = cyrillic_ ? 32 : 26;
        for (size_t i = WordLength(rng_); i > 0; --i) {
            char16_t c = static_cast<char16_t>(first + rng_.Below(letters));
            // Both alphabets have their capitals 32 code units below.
            if (shout || capital) c = static_cast<char16_t>(c - 32);
            capital = false;
            text_ += c;
        }
    }

    void Gap() {
        const size_t pick = rng_.Below(100);
        if (pick < 80) Spaces(1);
        else if (pick < 88) Spaces(2);
        else if (pick < 94) Spaces(rng_.Between(3, 8));
        else if (pick < 98) text_ += u'\t';
        else text_ += u" \t";
    }

    void Spaces(size_t count) { text_.append(count, u' '); }
    void Break() { text_ += u"\r\n"; }

    Rng rng_;
    size_t target_;
    Text text_;
    bool cyrillic_ = false;
};

} // namespace

Text SampleClipboardText(size_t units, uint64_t seed) { return Writer(units, seed).Take(); }

TextProfile ProfileOf(TextView text) {
    TextProfile profile;
    profile.units = text.size();
    size_t lineStart = 0;
    size_t spaceRun = 0;
    auto endLine = [&](size_t end) {
        const size_t length = end - lineStart;
        profile.longestLine = std::max(profile.longestLine, length);
        if (length == 0) ++profile.blankLines;
        ++profile.lines;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        spaceRun = c == u' ' ? spaceRun + 1 : 0;
        profile.longestSpaceRun = std::max(profile.longestSpaceRun, spaceRun);
        if (c == u' ') ++profile.spaces;
        if (c == u'\t') ++profile.tabs;
        if (c >= 0x400 && c <= 0x4FF) ++profile.cyrillic;
        if (c >= 0xD800 && c <= 0xDFFF) ++profile.surrogates;
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            endLine(i);
            lineStart = i + 2;
            ++i;
        }
    }
    if (lineStart < text.size()) endLine(text.size());
    return profile;
}
