// UTF-8 encoding of the program's 16-bit texts, for the saved file.
#include "text/text.h"

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendCodePoint(std::string& out, char32_t code) {
    auto byte = [&](uint32_t value) { out.push_back(static_cast<char>(static_cast<uint8_t>(value))); };
    if (code < 0x80) {
        byte(code);
    } else if (code < 0x800) {
        byte(0xC0 | (code >> 6));
        byte(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        byte(0xE0 | (code >> 12));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    } else {
        byte(0xF0 | (code >> 18));
        byte(0x80 | ((code >> 12) & 0x3F));
        byte(0x80 | ((code >> 6) & 0x3F));
        byte(0x80 | (code & 0x3F));
    }
}

} // namespace

std::string EncodeUtf8(TextView text) {
    std::string out;
    // Three bytes per code unit is the most any text needs: a pair of units
    // takes four bytes, a single unit at most three.
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const char32_t code = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            AppendCodePoint(out, code);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            // A half of a pair alone has no UTF-8 form; write the replacement character.
            AppendCodePoint(out, 0xFFFD);
        } else {
            AppendCodePoint(out, unit);
        }
    }
    return out;
}
