#include <gtest/gtest.h>

#include "app/about.h"
#include "app/form.h"
#include "app_fixture.h"
#include "shell/identity.h"

namespace {

std::vector<Text> Lines(const Text& text) {
    std::vector<Text> lines;
    size_t start = 0;
    for (size_t cut; (cut = text.find(u"\r\n", start)) != Text::npos; start = cut + 2)
        lines.push_back(text.substr(start, cut - start));
    lines.push_back(text.substr(start));
    return lines;
}

bool StartsWithAndGoesOn(const Text& line, TextView start) {
    return line.size() > start.size() && TextView(line).substr(0, start.size()) == start;
}

} // namespace

using AboutTest = FormTest;

TEST_F(AboutTest, ShowsIdentityAndMessageLineByLine) {
    ShowAbout(AboutButton);
    ShowAbout(AboutButton);
    const auto& messages = standin::Get().messages;
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].text, messages[0].text); // the same each time
    EXPECT_EQ(messages[0].title, u"About");
    EXPECT_EQ(messages[0].buttons, MessageButtonsOk);

    std::vector<Text> lines = Lines(messages[0].text);
    ASSERT_EQ(lines.size(), 12u);
    const auto& identity = IdentityStrings;
    ASSERT_EQ(identity.MakerNotice.substr(0, 1), u" ");
    EXPECT_EQ(lines[0], u"vellisk v.161209" + identity.MakerNotice);
    EXPECT_EQ(lines[1], identity.MakerWebAddress);
    EXPECT_EQ(lines[2], u"");
    EXPECT_EQ(lines[3], u"Поддержать проект можно на странице: ");
    EXPECT_TRUE(StartsWithAndGoesOn(lines[4], u"https://")) << ::testing::PrintToString(lines[4]);
    EXPECT_EQ(lines[5], u"Вы можете заказать программу под Вашу задачу,");
    EXPECT_EQ(lines[6], u"запросить совет по подбору существующих программ.");
    EXPECT_EQ(lines[7], u"Автоматизация ежедневных дел.");
    EXPECT_EQ(lines[8], u"Программы, скрипты, макросы, консультации.");
    EXPECT_EQ(lines[9], u"");
    EXPECT_TRUE(StartsWithAndGoesOn(lines[10], u"Пишите на почтовый адрес "));
    EXPECT_TRUE(StartsWithAndGoesOn(lines[11], u"или на почтовый адрес "));
    // Below the empty line stands the about text unchanged.
    EXPECT_EQ(messages[0].text.substr(messages[0].text.find(u"\r\n\r\n") + 4), identity.AboutText);
}

TEST_F(AboutTest, AnEmptyBodyShowsTheHeaderAlone) {
    ShowInfo(u"", u"Info");
    ASSERT_EQ(standin::Get().messages.size(), 1u);
    EXPECT_EQ(standin::Get().messages[0].title, u"Info");
    EXPECT_EQ(standin::Get().messages[0].text, IdentityStrings.AboutHeader);
    EXPECT_EQ(Lines(IdentityStrings.AboutHeader).size(), 2u);
}
