// Deterministic text that looks like what users paste: prose in lines of
// varied length, runs of spaces, TABs, CR LF breaks, blank lines, Cyrillic.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/platform.h"

// Exactly `units` code units; the same seed always gives the same text, and a
// shorter text is a prefix of a longer one made with the same seed.
Text SampleClipboardText(size_t units, uint64_t seed);

// A few figures about a text, printed with the results so that a reader can
// judge whether the input is realistic.
struct TextProfile {
    size_t units = 0;
    size_t lines = 0;
    size_t longestLine = 0;
    size_t blankLines = 0;
    size_t spaces = 0;
    size_t tabs = 0;
    size_t cyrillic = 0;
    size_t surrogates = 0;
    size_t longestSpaceRun = 0;
};
TextProfile ProfileOf(TextView text);
