// Checks of the ground the other end-to-end tests stand on: texts cross the
// driver's protocol and the Wine clipboard unchanged, and the X clipboard
// reaches Wine programs. A fault here would otherwise show up as a puzzling
// failure of some test of the program.
#include "harness.h"

namespace e2e {
namespace {

using Harness = E2eTest;

TEST_F(Harness, DriverCarriesEveryCodeUnitThroughTheClipboard) {
    const std::pair<const char*, std::string> texts[] = {
        {"plain", "plain text"},
        {"empty", ""},
        {"breaks and tabs", "a\tb\r\nc\nd\re"},
        {"backslashes", "C:\\Docs\\ \\\\ \\t \\u0041"},
        {"control characters", std::string("\x01\x1b\x1f\x7f", 4)},
        {"Cyrillic", "Сохранить текст"},
        {"outside the BMP", "\xF0\x9F\x98\x80 smile"},
        {"line separator and C1", "\xE2\x80\xA8|\xC2\x85"},
        {"lone surrogate", "x\xED\xA0\x80y"},
    };
    for (const auto& [name, text] : texts) {
        Expect({"clip-set", text});
        std::vector<std::string> got = Expect({"clip-get"});
        ASSERT_EQ(got.size(), 1u) << name;
        EXPECT_EQ(got[0], text) << name;
    }
}

TEST_F(Harness, XClipboardReachesWinePrograms) {
    const std::string text = "Кириллица\r\nsecond line";
    XClipboard clipboard(text);
    WaitFor("the X clipboard to reach Wine", Milliseconds{10000}, [&](std::string& seen) {
        Reply got = Call({"clip-get"});
        seen = got.line.substr(0, 200);
        return got.ok && got.fields == std::vector<std::string>{text};
    });
}

} // namespace
} // namespace e2e
