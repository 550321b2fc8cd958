// UTF-8 encoding of the program's 16-bit texts, for the saved file.
#include "text/text.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

} // namespace

// Two passes: the first counts the bytes, so that the result is made once at
// its exact size instead of three bytes for every unit, the most one takes;
// the second writes them.
std::string EncodeUtf8(TextView text) {
    const size_t n = text.size();
    size_t bytes = 0;
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = text[i];
        // One, two or three bytes by the unit alone; a pair takes four, not six.
        bytes += 1 + size_t(unit >= 0x80) + size_t(unit >= 0x800);
        bytes -= 2 * size_t(IsHighSurrogate(unit) && i + 1 < n && IsLowSurrogate(text[i + 1]));
    }
    std::string out(bytes, '\0');
    char* o = out.data();
    auto put = [&o](uint32_t value) { *o++ = static_cast<char>(static_cast<uint8_t>(value)); };
    for (size_t i = 0; i < n; ++i) {
        const char16_t unit = text[i];
        if (unit < 0x80) {
            put(unit);
        } else if (unit < 0x800) {
            put(0xC0 | (unit >> 6));
            put(0x80 | (unit & 0x3F));
        } else if (IsHighSurrogate(unit) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
            const char32_t code = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            put(0xF0 | (code >> 18));
            put(0x80 | ((code >> 12) & 0x3F));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
            ++i;
        } else {
            // A half of a pair alone has no UTF-8 form: the replacement character.
            const char32_t code = IsHighSurrogate(unit) || IsLowSurrogate(unit) ? 0xFFFD : unit;
            put(0xE0 | (code >> 12));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        }
    }
    return out;
}
