// The About box, as the user reads it: its title, its one button and its
// twelve lines.
#include <iterator>
#include <string>
#include <vector>

#include "form_support.h"

namespace e2e::form {
namespace {

const char* const AboutLines[] = {
    "vellisk v.161209 (c) 2026 the vellisk developers",
    "https://vellisk.example.org/",
    "",
    "Поддержать проект можно на странице: ",
    "https://vellisk.example.org/support",
    "Вы можете заказать программу под Вашу задачу,",
    "запросить совет по подбору существующих программ.",
    "Автоматизация ежедневных дел.",
    "Программы, скрипты, макросы, консультации.",
    "",
    "Пишите на почтовый адрес hello@vellisk.example.org",
    "или на почтовый адрес orders@vellisk.example.org",
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return lines;
        start = end + 2;
    }
}

using FormAbout = E2eTest;

TEST_F(FormAbout, ShowsTheSameTwelveLinesEachTimeWithOnlyOk) {
    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    for (int time = 1; time <= 2; ++time) {
        SCOPED_TRACE("About box number " + std::to_string(time));
        Click(AboutButton);
        Box box = WaitBox();
        EXPECT_EQ(box.title, "About");
        EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
        EXPECT_FALSE(box.icon);
        std::vector<std::string> lines = Lines(box.text);
        ASSERT_EQ(lines.size(), std::size(AboutLines)) << box;
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], AboutLines[i]) << "line " << i + 1;
        Answer("OK");
        EXPECT_TRUE(vellisk.Running());
    }
}

} // namespace
} // namespace e2e::form
