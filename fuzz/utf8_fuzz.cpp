// The save's encoder: always valid UTF-8, and a faithful one for valid text.
#include <cstdlib>

#include "fuzz_input.h"
#include "text/text.h"

#define CHECK(condition) \
    do {                        \
        if (!(condition)) std::abort(); \
    } while (0)

namespace {

// Decodes strict UTF-8 back to UTF-16; false on any invalid sequence.
bool Decode(const std::string& bytes, Text& out) {
    size_t i = 0;
    while (i < bytes.size()) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        uint32_t cp;
        size_t n;
        if (b < 0x80) { cp = b; n = 1; }
        else if (b >= 0xC2 && b < 0xE0) { cp = b & 0x1F; n = 2; }
        else if (b >= 0xE0 && b < 0xF0) { cp = b & 0x0F; n = 3; }
        else if (b >= 0xF0 && b < 0xF5) { cp = b & 0x07; n = 4; }
        else return false;
        if (i + n > bytes.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            unsigned char c = static_cast<unsigned char>(bytes[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return false;
        if (cp >= 0xD800 && cp <= 0xDFFF) return false;
        if (cp >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Text text = UnitsOf(data, size);
    std::string bytes = EncodeUtf8(text);
    Text back;
    CHECK(Decode(bytes, back));
    // Every unpaired surrogate became U+FFFD; everything else came through.
    CHECK(back.size() == text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        // A low surrogate right after a high one is always that one's partner.
        bool paired = (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ||
                      (low && i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF);
        if ((high || low) && !paired) CHECK(back[i] == 0xFFFD);
        else CHECK(back[i] == c);
    }
    return 0;
}
