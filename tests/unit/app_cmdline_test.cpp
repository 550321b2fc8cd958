#include <gtest/gtest.h>

#include <vector>

#include "app/cmdline.h"
#include "support/standin.h"

TEST(SplitCommandLine, CutsAtSpacesAndQuotesOnly) {
    struct Case {
        const char16_t* line;
        std::vector<Text> arguments;
    };
    const Case cases[] = {
        {u"", {}},
        {u"   ", {}},
        {u"vellisk.exe", {u"vellisk.exe"}},
        {u"  vellisk.exe   a    b  ", {u"vellisk.exe", u"a", u"b"}},
        {u"v.exe a\tb", {u"v.exe", u"a\tb"}}, // a TAB does not separate
        {u"v.exe \tx\t y", {u"v.exe", u"\tx\t", u"y"}},
        {u"\"C:\\Program Files\\v.exe\" \"C:\\My Docs\\x.txt\"", {u"C:\\Program Files\\v.exe", u"C:\\My Docs\\x.txt"}},
        {u"v.exe \"no closing quote  here", {u"v.exe", u"no closing quote  here"}},
        {u"v.exe \"a\"b", {u"v.exe", u"a", u"b"}},           // after a closing quote a new argument starts
        {u"v.exe \"a\"\"b\"", {u"v.exe", u"a", u"b"}},
        {u"v.exe a\"b c\"", {u"v.exe", u"a\"b", u"c\""}},    // a quote inside an argument is ordinary
        {u"v.exe \"C:\\dir\\\" next", {u"v.exe", u"C:\\dir\\", u"next"}}, // no escapes
        {u"v.exe \"\"", {u"v.exe", u""}},
        {u"v.exe \"\" x", {u"v.exe", u"", u"x"}},
        {u"v.exe \"", {u"v.exe", u""}},
        {u"v.exe \"  \"", {u"v.exe", u"  "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(c.line)));
        EXPECT_EQ(SplitCommandLine(c.line), c.arguments);
    }
}

TEST(ObjectArgument, IsTheArgumentAfterTheProgramPath) {
    struct Case {
        const char16_t* line;
        const char16_t* object;
    };
    const Case cases[] = {
        {u"vellisk.exe", u""},
        {u"", u""},
        {u"vellisk.exe \"\" second", u""},
        {u"\"C:\\Program Files\\vellisk\\vellisk.exe\" D:\\x.doc", u"D:\\x.doc"},
        {u"vellisk.exe first second", u"first"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(c.line)));
        standin::Reset();
        standin::Get().commandLine = c.line;
        EXPECT_EQ(ObjectArgument(), Text(c.object));
    }
}
