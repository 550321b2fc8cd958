// String primitives: length, equality, trimming, case, counting, fields and
// replacement. All of them are pure and run in time linear in their input.
#include "text/text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <deque>
#include <vector>

#include "text/unit_masks.h"

namespace {

// Finds find in texts, leftmost first; after a match the scan restarts just
// past it, so occurrences never overlap. Short finds (every find the program
// itself uses is a few units long) are compared at each position where their
// first unit stands, found 64 units at a time; that costs at most the find's
// length per position. Longer finds go through a Knuth-Morris-Pratt table,
// so a scan never steps back and costs text plus find whatever the two hold.
class Finder {
public:
    explicit Finder(TextView find) : find_(find) {
        if (find.size() <= ShortFind) return;
        border_.assign(find.size(), 0); // border_[i]: longest proper border of find[0..i]
        size_t k = 0;
        for (size_t i = 1; i < find.size(); ++i) {
            while (k > 0 && find[i] != find[k]) k = border_[k - 1];
            if (find[i] == find[k]) ++k;
            border_[i] = k;
        }
    }

    size_t size() const { return find_.size(); }

private:
    friend class Occurrences;
    static constexpr size_t ShortFind = 8;

    TextView find_;
    std::vector<size_t> border_;
};

// The occurrences of a finder's find in one text, one at a time.
class Occurrences {
public:
    Occurrences(const Finder& finder, TextView text) : find_(finder.find_), border_(finder.border_), text_(text) {}

    // The next occurrence: the leftmost one that starts at or after the end
    // of the last. False when none is left, or when find is empty.
    bool Next(size_t& position) {
        const size_t f = find_.size();
        if (f == 0 || text_.size() < f) return false;
        return f <= Finder::ShortFind ? NextShort(position) : NextLong(position);
    }

private:
    bool NextShort(size_t& position) {
        const size_t f = find_.size();
        const size_t lastStart = text_.size() - f;
        const char16_t* const p = text_.data();
        for (;;) {
            while (starts_ != 0) {
                const size_t at = window_ + static_cast<size_t>(std::countr_zero(starts_));
                starts_ &= starts_ - 1;
                if (at > lastStart) return false;
                if (at < resume_ || TextView(p + at + 1, f - 1) != find_.substr(1)) continue;
                resume_ = at + f;
                position = at;
                return true;
            }
            if (loaded_) window_ += unit_masks::Width;
            loaded_ = true;
            if (window_ > lastStart) return false;
            if (text_.size() - window_ >= unit_masks::Width) {
                starts_ = unit_masks::Equal(p + window_, find_[0]);
            } else {
                for (size_t i = 0; window_ + i < text_.size(); ++i)
                    starts_ |= uint64_t(p[window_ + i] == find_[0]) << i;
            }
        }
    }

    bool NextLong(size_t& position) {
        const size_t f = find_.size();
        while (next_ < text_.size()) {
            const char16_t c = text_[next_++];
            while (matched_ > 0 && c != find_[matched_]) matched_ = border_[matched_ - 1];
            if (c == find_[matched_]) ++matched_;
            if (matched_ == f) {
                matched_ = 0;
                position = next_ - f;
                return true;
            }
        }
        return false;
    }

    TextView find_;
    const std::vector<size_t>& border_;
    TextView text_;
    // Short finds: the 64 units being looked at, the positions among them
    // where find's first unit stands that are still to be looked at, and
    // the end of the last occurrence.
    size_t window_ = 0;
    uint64_t starts_ = 0;
    bool loaded_ = false;
    size_t resume_ = 0;
    // Long finds: the next unit to read, and how much of find it completes.
    size_t next_ = 0;
    size_t matched_ = 0;
};

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
    const Finder finder(find);
    Occurrences occurrences(finder, text);
    int64_t count = 0;
    for (size_t position = 0; occurrences.Next(position);) ++count;
    return count;
}

Text NthField(TextView text, int64_t index, TextView separator) {
    if (index < 1) return Text();
    if (separator.empty()) return index == 1 ? Text(text) : Text();
    const Finder finder(separator);
    Occurrences occurrences(finder, text);
    int64_t field = 1;
    size_t fieldStart = 0;
    for (size_t position = 0; occurrences.Next(position);) {
        if (field == index) return Text(text.substr(fieldStart, position - fieldStart));
        ++field;
        fieldStart = position + separator.size();
    }
    // The last field runs from the last separator to the end.
    if (field == index) return Text(text.substr(fieldStart));
    return Text();
}

namespace {

// Where one pass put a replacement: [start, end) in the text after the pass.
// For an empty replacement both are the first unit after the cut.
struct Site {
    size_t start;
    size_t end;
};

// Whether an occurrence of find in the text after a pass overlaps the site
// (or for an empty replacement spans its cut): only then can the next pass
// replace anything there.
bool CanMatchAround(TextView lowered, const Site& site, TextView find) {
    const size_t from = site.start >= find.size() - 1 ? site.start - (find.size() - 1) : 0;
    for (size_t at = from; at < site.end && at + find.size() <= lowered.size(); ++at)
        if (lowered.substr(at, find.size()) == find) return true;
    return false;
}

// All the passes of a replacement no longer than find. The first pass scans
// the whole text and writes the text after it; every later pass looks only
// around the replacements of the pass before it (the sites), because an
// occurrence that lay within text that pass left alone would have been
// replaced by that pass: every occurrence overlaps the last replacements, or
// for an empty replacement spans a cut. A later pass tries the candidates in
// order, from find's length less one unit before each site to the site's end,
// and applies a match at once: that changes only units before the next
// candidate.
//
// The later passes work in place: matched units are overwritten or, past the
// replacement's length, marked deleted. A bit per unit marks the deleted ones; a run of them holds its
// length at both its ends, in the two units a deleted unit no longer needs,
// so that a walk over the live units skips the run in one step.
//
// All passes run together, each a little behind the one before it, so that
// the units they touch are still in cache: a pass goes on with a site only
// while every unit it may read lies before the point up to which the pass
// before it is done, which that pass never changes again.
class Replacer {
public:
    Replacer(TextView text, Text&& lowered, TextView find, TextView replacement, TextView loweredReplacement)
        : source_(text), lowered_(std::move(lowered)), find_(find), replacement_(replacement),
          loweredReplacement_(loweredReplacement) {}

    // Returns false when the first pass replaced nothing.
    bool Run(const Finder& finder) {
        // The first pass writes the lower-cased text after it over the one it
        // scans, never past the point it has read.
        bool replaced = false;
        size_t copied = 0;
        size_t nextSweep = Batch;
        Occurrences occurrences(finder, lowered_);
        for (size_t position = 0; occurrences.Next(position);) {
            if (!replaced) {
                text_.reserve(source_.size());
                passes_.push_back({});
                replaced = true;
            }
            Append(copied, position);
            CheckSites(false);
            const size_t start = text_.size();
            text_.append(replacement_);
            std::copy(loweredReplacement_.begin(), loweredReplacement_.end(),
                      lowered_.begin() + static_cast<ptrdiff_t>(start));
            written_.push_back({start, start + replacement_.size()});
            copied = position + find_.size();
            if (text_.size() >= nextSweep) {
                // The later passes keep before the first site not yet
                // checked: the check must see the text as this pass left it.
                Sweep(None, checked_ < written_.size() ? Before(written_[checked_]) : text_.size());
                nextSweep = text_.size() + Batch;
            }
        }
        if (!replaced) return false;
        Append(copied, source_.size());
        lowered_.resize(text_.size());
        CheckSites(true);
        fed_ = true;
        for (size_t reach = text_.size() / Batch * Batch; !passes_.empty();) {
            reach += Batch;
            Sweep(reach, None);
        }
        return true;
    }

    // The live units, moved together in place, 64 marks at a time.
    Text Result() && {
        if (dead_.empty()) return std::move(text_);
        const size_t n = text_.size();
        size_t written = 0;
        auto keep = [&](size_t from, size_t to) {
            std::copy(text_.begin() + static_cast<ptrdiff_t>(from), text_.begin() + static_cast<ptrdiff_t>(to),
                      text_.begin() + static_cast<ptrdiff_t>(written));
            written += to - from;
        };
        for (size_t base = 0; base < n; base += 64) {
            const size_t end = std::min(n, base + 64);
            const uint64_t dead = dead_[base / 64];
            size_t i = base;
            while (i < end) {
                const uint64_t deadFrom = dead >> (i - base);
                if (deadFrom == 0) {
                    keep(i, end);
                    break;
                }
                const size_t firstDead = i + static_cast<size_t>(std::countr_zero(deadFrom));
                keep(i, std::min(firstDead, end));
                const uint64_t liveFrom = ~dead >> (firstDead - base);
                i = liveFrom == 0 ? end : firstDead + static_cast<size_t>(std::countr_zero(liveFrom));
            }
        }
        text_.resize(written);
        return std::move(text_);
    }

private:
    struct PassState {
        std::vector<Site> sites;
        size_t next = 0;   // the first site not yet visited
        size_t resume = 0; // live (or the end): the first unit not yet passed
    };

    static constexpr size_t None = ~size_t(0);
    static constexpr size_t Batch = 1 << 14;

    // The first pass: the units it keeps, and their lower-cased copy.
    void Append(size_t from, size_t to) {
        const size_t at = text_.size();
        text_.append(source_, from, to - from);
        std::copy(lowered_.begin() + static_cast<ptrdiff_t>(from), lowered_.begin() + static_cast<ptrdiff_t>(to),
                  lowered_.begin() + static_cast<ptrdiff_t>(at));
    }

    // Where the candidates of a site that the first pass made begin, as
    // CanMatchAround tries them.
    size_t Before(const Site& site) const {
        return site.start >= find_.size() - 1 ? site.start - (find_.size() - 1) : 0;
    }

    // Hands the first pass's sites to the second once the text around them
    // is written, while it is still in cache, and only those where the second
    // pass can find something.
    void CheckSites(bool all) {
        const TextView sofar = TextView(lowered_).substr(0, text_.size());
        for (; checked_ < written_.size(); ++checked_) {
            const Site site = written_[checked_];
            if (!all && site.end + find_.size() > text_.size()) break;
            if (CanMatchAround(sofar, site, find_)) passes_.front().sites.push_back(site);
        }
        Forget(written_, checked_);
    }

    // Drops the sites before `used` once there are enough of them.
    static void Forget(std::vector<Site>& sites, size_t& used) {
        if (used < 4096) return;
        sites.erase(sites.begin(), sites.begin() + static_cast<ptrdiff_t>(used));
        used = 0;
    }

    // One round of the later passes. The first of them takes its sites that
    // start before `reach` and read only before `settled`; each one after it
    // follows as far as the one before it is done.
    void Sweep(size_t reach, size_t settled) {
        for (size_t k = 0; k < passes_.size(); ++k) {
            PassState& pass = passes_[k];
            const size_t limit = k == 0 ? settled : passes_[k - 1].resume;
            for (; pass.next < pass.sites.size(); ++pass.next) {
                const Site& site = pass.sites[pass.next];
                if (site.start >= reach || !ReadsOnlyBefore(pass, site, limit)) break;
                if (k + 1 == passes_.size()) passes_.push_back({});
                Visit(pass, site, passes_[k + 1].sites);
            }
            Forget(pass.sites, pass.next);
        }
        // The first of the later passes is done once it has all its sites
        // and has taken them; the one after it then has all of its own.
        while (fed_ && !passes_.empty() && passes_.front().next == passes_.front().sites.size()) passes_.pop_front();
    }

    // Whether trying the candidates at the site reads only units before
    // `limit`: every candidate lies before the site's end, and a try reads
    // find's length of live units from it.
    bool ReadsOnlyBefore(const PassState& pass, const Site& site, size_t limit) const {
        if (limit == None || site.end <= pass.resume) return true;
        size_t i = NextLive(site.end);
        for (size_t k = 0; k < find_.size(); ++k) {
            if (i >= limit) return false;
            i = NextLive(i + 1);
        }
        return i < limit;
    }

    void Visit(PassState& pass, const Site& site, std::vector<Site>& next) {
        size_t from = pass.resume;
        if (site.start >= pass.resume) {
            from = site.start;
            for (size_t k = 1; k < find_.size(); ++k) {
                const size_t previous = PreviousLive(from);
                if (previous == None || previous < pass.resume) break;
                from = previous;
            }
        }
        size_t at = from;
        while (at < site.end) {
            size_t after = 0;
            if (MatchesAt(at, after)) {
                const Site replaced = Replace(at);
                // A cut right at the last cut's first unit joins it.
                if (replacement_.empty() && !next.empty() && next.back().start == at) next.back() = replaced;
                else next.push_back(replaced);
                at = after;
            } else {
                at = NextLive(at + 1);
            }
        }
        pass.resume = std::max(pass.resume, at);
    }

    bool IsDead(size_t i) const { return !dead_.empty() && ((dead_[i / 64] >> (i % 64)) & 1) != 0; }

    size_t RunLength(size_t end) const { return size_t(text_[end]) | size_t(lowered_[end]) << 16; }

    void SetRunLength(size_t end, size_t length) {
        text_[end] = static_cast<char16_t>(length);
        lowered_[end] = static_cast<char16_t>(length >> 16);
    }

    // i is live, the first unit of a deleted run, or the end.
    size_t NextLive(size_t i) const {
        if (i < text_.size() && IsDead(i)) i += RunLength(i);
        return i;
    }

    // i is live or the end; the live unit before it, or None.
    size_t PreviousLive(size_t i) const {
        if (i == 0) return None;
        size_t j = i - 1;
        if (IsDead(j)) {
            const size_t length = RunLength(j);
            if (length > j) return None;
            j -= length;
        }
        return j;
    }

    bool MatchesAt(size_t at, size_t& after) const {
        size_t i = at;
        for (char16_t unit : find_) {
            if (i >= text_.size() || lowered_[i] != unit) return false;
            i = NextLive(i + 1);
        }
        after = i;
        return true;
    }

    // Writes the replacement over the first matched units and deletes the rest.
    Site Replace(size_t at) {
        size_t i = at;
        size_t last = at;
        for (size_t k = 0; k < replacement_.size(); ++k) {
            text_[i] = replacement_[k];
            lowered_[i] = loweredReplacement_[k];
            last = i;
            i = NextLive(i + 1);
        }
        for (size_t k = replacement_.size(); k < find_.size(); ++k) {
            const size_t following = NextLive(i + 1);
            Delete(i);
            i = following;
        }
        if (replacement_.empty()) return {i, i};
        return {at, last + 1};
    }

    void Delete(size_t i) {
        // The text never grows past the source's length.
        if (dead_.empty()) dead_.assign((source_.size() + 63) / 64, 0);
        size_t first = i;
        size_t last = i;
        if (i > 0 && IsDead(i - 1)) first = i - RunLength(i - 1);
        if (i + 1 < text_.size() && IsDead(i + 1)) last = i + RunLength(i + 1);
        dead_[i / 64] |= uint64_t(1) << (i % 64);
        SetRunLength(first, last - first + 1);
        SetRunLength(last, last - first + 1);
    }

    TextView source_;
    Text text_;
    Text lowered_; // the source's lower-cased copy, then the text's
    TextView find_; // lower-cased
    TextView replacement_;
    TextView loweredReplacement_;
    std::vector<Site> written_; // the first pass's sites
    size_t checked_ = 0;        // of written_
    bool fed_ = false;          // the first pass is done
    std::deque<PassState> passes_;
    std::vector<uint64_t> dead_; // made at the first deletion
};

} // namespace

// The text is lower-cased once: letter case is the platform's mapping unit by
// unit, so the lower-cased copy stays right when the lower-cased replacement
// is written into it. After the first pass over the whole text, each pass
// looks only around the replacements of the pass before it, where a new
// occurrence can form, so the later passes cost what they replace.
Text ReplaceAll(TextView text, TextView find, TextView replacement) {
    if (find.empty()) return Text(text);
    const Text lowerFind = LowerCase(find);
    const Text lowerReplacement = LowerCase(replacement);
    const Finder finder(lowerFind);
    // A deleted run's length is kept in 32 bits.
    if (replacement.size() <= find.size() && text.size() <= UINT32_MAX) {
        Replacer replacer(text, LowerCase(text), lowerFind, replacement, lowerReplacement);
        if (!replacer.Run(finder)) return Text(text);
        return std::move(replacer).Result();
    }
    // A longer replacement, which this program never asks for: whole passes,
    // the lower-cased copy kept beside the text.
    Text current(text);
    Text lowered = LowerCase(text);
    for (;;) {
        Text next;
        Text nextLowered;
        size_t copied = 0;
        Occurrences occurrences(finder, lowered);
        for (size_t position = 0; occurrences.Next(position);) {
            next.append(current, copied, position - copied).append(replacement);
            nextLowered.append(lowered, copied, position - copied).append(lowerReplacement);
            copied = position + lowerFind.size();
        }
        if (copied == 0) return current;
        next.append(current, copied, Text::npos);
        nextLowered.append(lowered, copied, Text::npos);
        current = std::move(next);
        lowered = std::move(nextLowered);
    }
}
