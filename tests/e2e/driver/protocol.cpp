#include "protocol.h"

#include <cwchar>

namespace driver {

namespace {

void PutUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void PutUtf16(std::wstring& out, uint32_t c) {
    if (c < 0x10000) {
        out += static_cast<wchar_t>(c);
    } else {
        c -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (c >> 10));
        out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
    }
}

bool IsHigh(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLow(wchar_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes one character of UTF-8 at `i`, advancing `i`; U+FFFD for a byte
// that starts no valid sequence.
uint32_t NextUtf8(const std::string& s, size_t& i) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
        ++i;
        return b;
    }
    int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    uint32_t c = extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    for (int k = 1; k <= extra; ++k) {
        unsigned char n = static_cast<unsigned char>(s[i + k]);
        if ((n & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (n & 0x3F);
    }
    static const uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < smallest[extra] || c > 0x10FFFF) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<size_t>(extra) + 1;
    return c;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t u = text[i];
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            PutUtf8(out, 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else {
            PutUtf8(out, static_cast<uint32_t>(u));
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) PutUtf16(out, NextUtf8(bytes, i));
    return out;
}

std::string EscapeField(const std::wstring& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t u = text[i];
        switch (u) {
        case L'\\': out += "\\\\"; continue;
        case L'\t': out += "\\t"; continue;
        case L'\n': out += "\\n"; continue;
        case L'\r': out += "\\r"; continue;
        default: break;
        }
        if (IsHigh(u) && i + 1 < text.size() && IsLow(text[i + 1])) {
            PutUtf8(out, 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
            continue;
        }
        bool plain = u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F) && u != 0x2028 && u != 0x2029 &&
                     !IsHigh(u) && !IsLow(u);
        if (plain) {
            PutUtf8(out, static_cast<uint32_t>(u));
        } else {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(u));
            out += buffer;
        }
    }
    return out;
}

std::string EscapeField(const std::string& ascii) { return EscapeField(FromUtf8(ascii)); }

std::wstring UnescapeField(const std::string& field) {
    std::wstring out;
    out.reserve(field.size());
    size_t i = 0;
    while (i < field.size()) {
        if (field[i] != '\\' || i + 1 >= field.size()) {
            PutUtf16(out, NextUtf8(field, i));
            continue;
        }
        char e = field[i + 1];
        if (e == '\\' || e == 't' || e == 'n' || e == 'r') {
            out += e == '\\' ? L'\\' : e == 't' ? L'\t' : e == 'n' ? L'\n' : L'\r';
            i += 2;
            continue;
        }
        if (e == 'u' && i + 6 <= field.size()) {
            int value = 0;
            bool good = true;
            for (int k = 2; k < 6; ++k) {
                int d = HexDigit(field[i + k]);
                if (d < 0) good = false;
                value = value * 16 + (d < 0 ? 0 : d);
            }
            if (good) {
                out += static_cast<wchar_t>(value);
                i += 6;
                continue;
            }
        }
        Fail(L"bad escape in a field");
    }
    return out;
}

std::wstring Hex(uint64_t value) {
    wchar_t buffer[24];
    std::swprintf(buffer, 24, L"0x%llX", static_cast<unsigned long long>(value));
    return buffer;
}

std::wstring Decimal(int64_t value) { return std::to_wstring(value); }

void Fail(const std::wstring& message) { throw Failure{message}; }

const std::wstring& Args::Text(size_t i, const wchar_t* what) const {
    if (i >= fields_.size()) Fail(std::wstring(L"missing argument: ") + what);
    return fields_[i];
}

long long Args::Number(size_t i, const wchar_t* what) const {
    const std::wstring& field = Text(i, what);
    wchar_t* end = nullptr;
    long long value = std::wcstoll(field.c_str(), &end, 0);
    if (field.empty() || !end || *end != 0) Fail(std::wstring(L"not a number for ") + what + L": " + field);
    return value;
}

void Pump(DWORD milliseconds) {
    ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(end - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool WaitUntil(long long timeoutMs, const std::function<bool()>& condition) {
    ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs < 0 ? 0 : timeoutMs);
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Pump(15);
    }
}

} // namespace driver
