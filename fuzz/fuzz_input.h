// Turns fuzzer bytes into the 16-bit texts vellisk works on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/platform.h"

// Two bytes a code unit, little-endian; an odd last byte is dropped.
inline Text UnitsOf(const uint8_t* data, size_t size) {
    Text text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

// Cuts the units into parts at U+FFFF, which no real text holds.
inline std::vector<Text> PartsOf(const Text& units) {
    std::vector<Text> parts(1);
    for (char16_t c : units) {
        if (c == 0xFFFF) parts.emplace_back();
        else parts.back().push_back(c);
    }
    return parts;
}

// Bytes as code units from a small alphabet of the characters that matter
// to the clean-up rules, so the fuzzer meets their cases quickly.
inline Text CleanupTextOf(const uint8_t* data, size_t size) {
    static const char16_t alphabet[] = {u' ', u' ', u' ', u'\r', u'\n', u'\t', u'a', u'b', u'Z',
                                        u'\u0416', 0xD83D, 0xDE00, u'.', u'x', u'\r', u'\n'};
    Text text;
    for (size_t i = 0; i < size; ++i) {
        uint8_t b = data[i];
        if (b >= 0xF0) text.append(static_cast<size_t>(b - 0xF0) * 8 + 40, u'w'); // long words
        else text.push_back(alphabet[b % 16]);
    }
    return text;
}
