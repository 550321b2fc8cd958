// Clipboards that are not what a program would wish for: a NUL inside the
// text, halves of surrogate pairs, every code unit there is, a clipboard that
// another program keeps open. The program starts, shows what can be shown,
// and saves exactly what its editor holds.
#include <cstdint>
#include <filesystem>
#include <string>

#include "form_support.h"

namespace e2e::form {
namespace {

// The UTF-16 code units of the driver's UTF-8, in which a lone surrogate is
// written in the three-byte form.
std::u16string Units(const std::string& bytes) {
    std::u16string units;
    for (size_t i = 0; i < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[i]);
        int length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        uint32_t c = length == 1 ? b : length == 2 ? b & 0x1F : length == 3 ? b & 0x0F : b & 0x07;
        for (int k = 1; k < length; ++k) c = (c << 6) | (static_cast<unsigned char>(bytes.at(i + k)) & 0x3F);
        i += length;
        if (c >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(c);
        }
    }
    return units;
}

// The driver's UTF-8 of code units.
std::string DriverText(const std::u16string& units) {
    std::string bytes;
    for (char16_t u : units) AppendUnit(bytes, u);
    return bytes;
}

// What the saved file must hold for these units: UTF-8, pairs as one
// character, a half of a pair as U+FFFD.
std::string SavedBytes(const std::u16string& units) {
    std::u16string sound;
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        bool high = u >= 0xD800 && u <= 0xDBFF, low = u >= 0xDC00 && u <= 0xDFFF;
        if (high && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            sound += u;
            sound += units[++i];
        } else {
            sound += (high || low) ? u'\xFFFD' : u;
        }
    }
    // Now every surrogate is paired: a pair is one four-byte character, every
    // other unit takes its one- to three-byte form.
    std::string bytes;
    for (size_t i = 0; i < sound.size(); ++i) {
        char16_t u = sound[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            uint32_t c = 0x10000 + ((static_cast<uint32_t>(u) - 0xD800) << 10) + (sound[++i] - 0xDC00);
            bytes += static_cast<char>(0xF0 | (c >> 18));
            bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            AppendUnit(bytes, u);
        }
    }
    return bytes;
}

// The first place where two unit strings differ, for a readable failure.
std::string FirstDifference(const std::u16string& got, const std::u16string& want) {
    size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    if (i == got.size() && i == want.size()) return "none";
    auto at = [i](const std::u16string& s) {
        return i < s.size() ? std::to_string(static_cast<unsigned>(s[i])) : std::string("the end");
    };
    return "at unit " + std::to_string(i) + ": " + at(got) + " where " + at(want) + " was expected (lengths " +
           std::to_string(got.size()) + " and " + std::to_string(want.size()) + ")";
}

using BadClipboard = E2eTest;

TEST_F(BadClipboard, TheEditorShowsTheTextUpToItsFirstNulAndKeepsHalvesOfPairs) {
    struct Case {
        const char* name;
        std::string clipboard;
        std::string editor;
    };
    const Case cases[] = {
        {"a NUL inside", std::string("before\0after", 12), "before"},
        {"halves of surrogate pairs", "a\xED\xA0\x80" "b\xED\xB0\x80" "c\xED\xA0\x80", "a\xED\xA0\x80" "b\xED\xB0\x80" "c\xED\xA0\x80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Expect({"clip-set", c.clipboard});
        Vellisk vellisk;
        EXPECT_EQ(FirstDifference(Units(Text(Editor)), Units(c.editor)), "none");
    }
}

TEST_F(BadClipboard, EveryCodeUnitButNulIsShownAndSavedAsTheEditorHoldsIt) {
    std::u16string every;
    for (uint32_t u = 1; u <= 0xFFFF; ++u) every += static_cast<char16_t>(u);
    DriveCFolder folder;
    Expect({"clip-set", DriverText(every)});
    Vellisk vellisk("\"" + folder.Windows() + "Every.doc\"");
    std::u16string editor = Units(Text(Editor));
    EXPECT_EQ(FirstDifference(editor, every), "none") << "the editor does not hold the clipboard's text";

    Click(SaveButton);
    WaitUntilClicksHandled();
    std::filesystem::path saved = folder.Unix() / "every.doc.txt";
    ASSERT_TRUE(std::filesystem::exists(saved));
    std::string bytes = ReadBytes(saved);
    EXPECT_TRUE(bytes == SavedBytes(editor)) << "the file does not hold the editor's text (" << bytes.size()
                                              << " bytes)";
}

TEST_F(BadClipboard, AClipboardAnotherProgramKeepsOpenGivesAnEmptyEditor) {
    Expect({"clip-set", "text that cannot be reached"});
    Expect({"clip-hold", "60000"});
    struct Release {
        ~Release() { Call({"clip-release"}, Milliseconds{20000}); }
    } release;
    // The start waits only briefly for the clipboard: the form comes up.
    Vellisk vellisk;
    EXPECT_EQ(Text(Editor), "");
    EXPECT_TRUE(vellisk.Running());
}

} // namespace
} // namespace e2e::form
