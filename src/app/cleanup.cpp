#include "app/cleanup.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "app/form.h"
#include "text/unit_masks.h"

// Both commands are written as one left-to-right pass over the text that
// produces exactly what their chain of replacements would (each replacement
// repeated until nothing is left to replace), so that a pasted megabyte costs
// one pass and one output buffer, not a pass and a copy per step and halving.
//
// Only units below '!' (the space, TAB, CR, LF and the other controls) have a
// role in either command; everything else is copied as it is. The passes find
// those units through bit masks made for 64 units at a time and copy the
// stretches in between in blocks, instead of testing and copying unit by unit.

namespace {

constexpr char16_t Space = u' ';
constexpr char16_t Tab = u'\t';
constexpr char16_t Cr = u'\r';
constexpr char16_t Lf = u'\n';

bool IsLineBreakAt(const char16_t* p, const char16_t* end) { return end - p >= 2 && p[0] == Cr && p[1] == Lf; }

// 64 units on from p into o, whatever the caller then keeps of them; both
// sides must have the room.
void CopyBlock(char16_t* o, const char16_t* p) { std::memcpy(o, p, 64 * sizeof(char16_t)); }

// Where the units below '!' stand, for the 64 units from any position on.
// Bit i of a mask stands for the unit i places on; units past the end of the
// text count as controls, so that every search stops there. The kinds beyond
// the first are made only for the passes that use them.
enum Kind { AnyControl, BelowSpace, Separator, AllKinds }; // Separator: a space or a TAB

template <size_t Kinds>
class Controls {
public:
    explicit Controls(TextView text) : text_(text) {
        Fill(0, masks_[0]);
        Fill(64, masks_[1]);
    }

    struct View {
        uint64_t masks[Kinds];
        bool nextIsControl; // the unit 64 places on
    };

    View At(size_t at) {
        Move(at);
        const size_t shift = at - window_;
        View view{};
        for (size_t k = 0; k < Kinds; ++k) view.masks[k] = Join(masks_[0][k], masks_[1][k], shift);
        view.nextIsControl = ((masks_[1][AnyControl] >> shift) & 1) != 0;
        return view;
    }

    // The first control at or after `at`, or the text's length.
    size_t Next(size_t at) {
        const size_t n = text_.size();
        while (at < n) {
            Move(at);
            const uint64_t bits = masks_[0][AnyControl] >> (at - window_);
            if (bits != 0) return std::min(n, at + static_cast<size_t>(std::countr_zero(bits)));
            at = window_ + 64;
        }
        return n;
    }

private:
    static uint64_t Join(uint64_t low, uint64_t high, size_t shift) {
        return shift == 0 ? low : (low >> shift) | (high << (64 - shift));
    }

    // Keeps the two windows that hold the 64 units from `at` on.
    void Move(size_t at) {
        const size_t window = at & ~size_t(63);
        if (window == window_) return;
        if (window == window_ + 64) std::copy(masks_[1], masks_[1] + Kinds, masks_[0]);
        else Fill(window, masks_[0]);
        Fill(window + 64, masks_[1]);
        window_ = window;
    }

    static uint8_t Flags(char16_t c) {
        if constexpr (Kinds == 1) return uint8_t(c <= Space);
        return uint8_t(uint8_t(c <= Space) | uint8_t(c < Space) << BelowSpace |
                       uint8_t(c == Space || c == Tab) << Separator);
    }

    void Fill(size_t window, uint64_t (&masks)[Kinds]) const {
        const size_t n = text_.size();
        if (window >= n || n - window < 64) {
            std::fill(masks, masks + Kinds, 0);
            for (size_t i = 0; i < 64; ++i) {
                // Past the end: a control below the space, not a separator.
                const uint8_t flags = window + i >= n ? uint8_t(3) : Flags(text_[window + i]);
                for (size_t k = 0; k < Kinds; ++k) masks[k] |= uint64_t((flags >> k) & 1) << i;
            }
            return;
        }
        unit_masks::Masks(text_.data() + window, Flags, masks);
    }

    TextView text_;
    size_t window_ = 0;
    uint64_t masks_[2][Kinds];
};

// The result of a pass, written through a pointer. A string fills whatever it
// is resized to, so its size runs ahead of the writing position by a step at
// a time: the fill then lands in cache just before the units overwrite it,
// instead of being one more pass over a buffer of megabytes.
class Output {
public:
    // most: the most units the pass asks room for.
    explicit Output(size_t most) : most_(most) {
        text_.reserve(most);
        Rebase();
    }

    // Room for `room` more units at o, which moves when the buffer does.
    char16_t* Room(char16_t* o, size_t room) {
        if (static_cast<size_t>(limit_ - o) >= room) return o;
        const size_t at = static_cast<size_t>(o - base_);
        // Never less than asked for: `most` is a bound the caller worked out,
        // and were it wrong, that should cost a reallocation, not a write
        // past the end.
        text_.resize(std::max(at + room, std::min(most_, text_.size() + Step)));
        Rebase();
        return base_ + at;
    }

    char16_t* Base() const { return base_; }

    Text Finish(char16_t* o) {
        text_.resize(static_cast<size_t>(o - base_));
        return std::move(text_);
    }

private:
    static constexpr size_t Step = 1 << 15;

    void Rebase() {
        base_ = text_.data();
        limit_ = base_ + text_.size();
    }

    Text text_;
    size_t most_;
    char16_t* base_ = nullptr;
    char16_t* limit_ = nullptr;
};

// Room for a block and the few units written after it.
constexpr size_t Slack = 64 + 8;

} // namespace

// Two spaces by one, a space before a line break by the break, two line
// breaks by one. In one pass: a run of spaces becomes one space unless a line
// break follows it, and a line break is written only when the output does not
// already end in one, spaces dropped before it not counting. A unit can go
// only where two units below '!' stand together (two spaces, a space and a CR,
// a CR and an LF), so everything before such a pair is copied as it is.
Text CompressedSpaces(TextView text) {
    const size_t n = text.size();
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + n;
    // The output never runs ahead of the input.
    Output out(n + Slack);
    char16_t* o = out.Base();
    Controls<1> controls(text);
    bool afterBreak = false;
    size_t at = 0;
    while (at < n) {
        o = out.Room(o, Slack);
        if (n - at > 64) {
            const auto view = controls.At(at);
            const uint64_t any = view.masks[AnyControl];
            const uint64_t pairs = any & ((any >> 1) | (uint64_t(view.nextIsControl) << 63));
            const size_t plain = pairs == 0 ? 64 : static_cast<size_t>(std::countr_zero(pairs));
            CopyBlock(o, begin + at);
            o += plain;
            at += plain;
            // The unit before a pair is at or above '!' or a lone control,
            // so no line break ends the output any more.
            if (plain > 0) afterBreak = false;
            if (plain == 64) continue;
        }
        const char16_t c = begin[at];
        if (c == Space) {
            do ++at;
            while (at < n && begin[at] == Space);
            if (IsLineBreakAt(begin + at, end)) continue;
            *o++ = Space;
            afterBreak = false;
        } else if (c == Cr && IsLineBreakAt(begin + at, end)) {
            at += 2;
            if (!afterBreak) {
                *o++ = Cr;
                *o++ = Lf;
                afterBreak = true;
            }
        } else {
            *o++ = c;
            ++at;
            afterBreak = false;
        }
    }
    return out.Finish(o);
}

// TABs by spaces, two spaces by one, SplitWords, WrapWords, JoinLines, a space
// after a line break by the break, three line breaks by two. In one pass the
// words are the stretches between runs of spaces and TABs; each is copied with
// its packing space, and when it does not fit the line, the word just copied
// moves two units on to make room for the break before it. What the last two
// replacements remove is decided as the units are written:
// - a packing space goes when the joined text before it ends in a line break,
//   which happens only after a word ending in CR LF or after the break between
//   two lines (an empty word adds nothing in between);
// - a CR LF pair goes when two pairs already stand right before it in the
//   output. Pairs never straddle a word's edge: a word is followed by a space,
//   dropped only after an LF, or by a break, which begins with CR.
// Words without controls come out as they went in, so as many of them as fit
// the line are copied in one block, up to a run of more than one space or a
// TAB, which becomes the packing space of the word before it.
Text ColumnWrapped(TextView text) {
    const size_t n = text.size();
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + n;
    // Words and spaces take at most n + 1 units. A line break stands before a
    // word that did not fit, so two neighbouring lines together hold more
    // than WrapWidth units: fewer than 2 (n + 1) / WrapWidth + 1 breaks.
    Output out(n + 1 + 2 * (2 * (n + 1) / WrapWidth + 1) + Slack);
    char16_t* o = out.Base();
    Controls<AllKinds> controls(text);
    size_t line = 0;         // WrapWords' current line length, line breaks in words included
    bool afterBreak = false; // the joined text so far ends in CR LF
    size_t pairs = 0;        // CR LF pairs at the very end of the output
    size_t at = 0;           // where the next word starts
    for (;;) {
        if (line + 1 < WrapWidth && n - at >= 64) {
            // A word that ends `offset` units on fits when line + offset + 1
            // <= WrapWidth. Words parted by plain spaces (a space with a letter
            // after it) come out as they went in: copy up to the last plain
            // space that fits, with no other control before it.
            const auto view = controls.At(at);
            const uint64_t any = view.masks[AnyControl];
            const uint64_t separators = view.masks[Separator];
            const uint64_t spaces = any & ~view.masks[BelowSpace];
            const uint64_t followed = (any >> 1) | (uint64_t(view.nextIsControl) << 63);
            const uint64_t unusual = view.masks[BelowSpace] | (spaces & followed);
            const size_t fit = WrapWidth - 1 - line;
            uint64_t usable = fit >= 63 ? ~uint64_t(0) : (uint64_t(1) << (fit + 1)) - 1;
            if (unusual != 0) usable &= (uint64_t(1) << std::countr_zero(unusual)) - 1;
            const uint64_t ends = spaces & usable;
            const size_t copied = ends == 0 ? 0 : 64 - static_cast<size_t>(std::countl_zero(ends));
            // The next word, from `copied` on, when it ends at a space or TAB
            // within the 64 units: it was left out either because it does not
            // fit, or because more spaces or TABs follow it.
            const uint64_t rest = copied < 64 ? any >> copied : 0;
            const size_t wordEnd = rest == 0 ? 64 : copied + static_cast<size_t>(std::countr_zero(rest));
            const bool separated = wordEnd < 64 && wordEnd > copied && ((separators >> wordEnd) & 1) != 0;
            if (copied > 0 || separated) {
                o = out.Room(o, Slack);
                CopyBlock(o, begin + at);
                if (copied > 0) {
                    pairs = 0;
                    afterBreak = false;
                }
                if (separated && wordEnd <= fit) {
                    // It fits, with one packing space for the whole run.
                    o[wordEnd] = Space;
                    o += wordEnd + 1;
                    line += wordEnd + 1;
                    pairs = 0;
                    afterBreak = false;
                    // Past the run; beyond the 64 units unit by unit.
                    const uint64_t others = ~separators >> wordEnd;
                    if (others != 0) {
                        at += wordEnd + static_cast<size_t>(std::countr_zero(others));
                    } else {
                        at += 64;
                        while (at < n && (begin[at] == Space || begin[at] == Tab)) ++at;
                    }
                    continue;
                }
                o += copied;
                at += copied;
                line += copied;
                if (separated) {
                    // It does not fit: the line ends before it.
                    if (pairs < 2) {
                        *o++ = Cr;
                        *o++ = Lf;
                    }
                    ++pairs;
                    line = 0;
                    afterBreak = true;
                }
                continue;
            }
        }
        const size_t wordAt = static_cast<size_t>(o - out.Base());
        const size_t source = at;
        const size_t pairsBefore = pairs;
        size_t length = 0;
        // Copies the word, cutting runs of line breaks as it goes; a second
        // round only when the break before the word changes that cut.
        for (bool wrapped = false;;) {
            for (;;) {
                const size_t next = controls.Next(at);
                o = out.Room(o, next - at + Slack);
                if (next > at) {
                    std::memcpy(o, begin + at, (next - at) * sizeof(char16_t));
                    o += next - at;
                    pairs = 0;
                    at = next;
                }
                if (at == n) break;
                const char16_t c = begin[at];
                if (c == Space || c == Tab) break;
                if (c == Cr && IsLineBreakAt(begin + at, end)) {
                    if (pairs < 2) {
                        o[0] = Cr;
                        o[1] = Lf;
                        o += 2;
                    }
                    ++pairs;
                    at += 2;
                } else {
                    *o++ = c;
                    ++at;
                    pairs = 0;
                }
            }
            length = at - source;
            if (wrapped || line + length + 1 <= WrapWidth) break;
            // The word does not fit: the line ends before it. Also before the
            // very first word when it alone is too long: the empty current
            // line is joined in front of it.
            wrapped = true;
            afterBreak = true;
            line = 0;
            char16_t* const word = out.Base() + wordAt;
            const bool breakWritten = pairsBefore < 2;
            if (length >= 2 && begin[source] == Cr && begin[source + 1] == Lf) {
                // The break joins the word's leading run of line breaks,
                // which was cut without it: copy the word again after it.
                o = word;
                if (breakWritten) {
                    *o++ = Cr;
                    *o++ = Lf;
                }
                pairs = pairsBefore + 1;
                at = source;
                continue;
            }
            if (breakWritten) {
                // The word's first unit ends the run, so only its place moves.
                std::memmove(word + 2, word, static_cast<size_t>(o - word) * sizeof(char16_t));
                word[0] = Cr;
                word[1] = Lf;
                o += 2;
            }
            if (length == 0) pairs = pairsBefore + 1;
            break;
        }
        line += length + 1;
        if (length > 0) afterBreak = length >= 2 && begin[at - 2] == Cr && begin[at - 1] == Lf;
        if (!afterBreak) {
            *o++ = Space;
            pairs = 0;
        }
        if (at == n) break;
        ++at;
        while (at < n && (begin[at] == Space || begin[at] == Tab)) ++at;
    }
    return out.Finish(o);
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
