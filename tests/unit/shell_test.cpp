// Start-up, the identity strings and the event loop, against the stand-in.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/identity.h"
#include "shell/startup.h"
#include "shell/window.h"
#include "support/standin.h"

namespace {

std::vector<std::string> trace;

void RecordEvent(const char* who) {
    const auto& s = WindowSettings;
    trace.push_back(std::string(who) + ":" + std::to_string(s.EventKind) + "," + std::to_string(s.EventGadget) + "," +
                    std::to_string(s.EventType) + "," + std::to_string(s.EventDropKind));
}
void EachEvent() { RecordEvent("each"); }
void FirstHook() { RecordEvent("first"); }
void SecondHook() { RecordEvent("second"); }
void Closing() { trace.push_back("close:quit=" + std::to_string(WindowSettings.QuitFlag)); }
void Exiting() { trace.push_back("exit"); }
void Opening() { trace.push_back("open"); }

class Loop : public ::testing::Test {
protected:
    void SetUp() override {
        standin::Reset();
        trace.clear();
        WindowSettings = WindowSettingsRecord{};
        WindowSettings.Width = 400;
        WindowSettings.Height = 300;
        WindowSettings.Title = u"vellisk";
        WindowSettings.OnEachEvent = EachEvent;
    }
    // Runs the loop until the program ends; returns the exit code.
    int Run() {
        try {
            RunEventLoop();
        } catch (const standin::ProcessEnded& end) {
            return end.exitCode;
        }
        ADD_FAILURE() << "the loop returned";
        return -1;
    }
};

TEST_F(Loop, RecordsEachEventClearedAndRunsTheHooksInOrder) {
    OpenMainWindow(u"");
    AddEventHook(FirstHook);
    AddEventHook(SecondHook);
    standin::QueueEvent(GadgetEvent, 42, 7, 0);
    standin::QueueEvent(GadgetDropEvent, 43, 99, 15); // a drop carries no type
    standin::QueueEvent(0x200, 44, 5, 1);             // another kind fills nothing
    standin::QueueEvent(CloseEvent, 45, 6, 1);
    EXPECT_EQ(Run(), 0);
    std::vector<std::string> expected = {
        "each:13100,42,7,0", "first:13100,42,7,0", "second:13100,42,7,0",
        "each:13106,43,0,15", "first:13106,43,0,15", "second:13106,43,0,15",
        "each:512,0,0,0",   "first:512,0,0,0",   "second:512,0,0,0",
        "each:16,0,0,0",    "first:16,0,0,0",    "second:16,0,0,0",
    };
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(WindowSettings.QuitFlag, 1);
    // Every turn sleeps 5 ms, the closing one too.
    EXPECT_EQ(standin::Get().sleeps, std::vector<int>(4, 5));
}

TEST_F(Loop, TheSameHookAddedTwiceRunsTwice) {
    OpenMainWindow(u"");
    AddEventHook(FirstHook);
    AddEventHook(FirstHook);
    standin::QueueEvent(CloseEvent);
    Run();
    EXPECT_EQ(trace.size(), 3u);
}

TEST_F(Loop, CloseAndExitHooksRunOnlyWhenSetAndInTheirPlace) {
    WindowSettings.OnClose = Closing;
    WindowSettings.OnExit = Exiting;
    OpenMainWindow(u"");
    AddEventHook(FirstHook);
    standin::QueueEvent(CloseEvent);
    standin::QueueEvent(GadgetEvent, 1, 0, 0); // never reached: the loop ends after the close
    EXPECT_EQ(Run(), 0);
    std::vector<std::string> expected = {"each:16,0,0,0", "first:16,0,0,0", "close:quit=1", "exit"};
    EXPECT_EQ(trace, expected);
    EXPECT_EQ(standin::Get().events.size(), 1u);
}

TEST_F(Loop, EndsTheProgramInItsOrderWithExitCodeZero) {
    OpenMainWindow(u"");
    standin::QueueEvent(CloseEvent);
    EXPECT_EQ(Run(), 0);
    std::vector<std::string> expected = {"CloseOpenFiles", "ShutDownOle", "ReleaseGadgets", "EndProcess"};
    EXPECT_EQ(standin::Get().calls, expected);
}

TEST_F(Loop, AWindowThatCannotOpenSkipsOnOpenTheLoopAndOnExit) {
    standin::Get().windowFails = true;
    WindowSettings.OnOpen = Opening;
    WindowSettings.OnExit = Exiting;
    OpenMainWindow(u"");
    EXPECT_EQ(WindowSettings.WindowHandle, 0);
    standin::QueueEvent(GadgetEvent, 1, 0, 0);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(trace.empty());
    EXPECT_EQ(standin::Get().events.size(), 1u) << "no event was waited for";
}

TEST_F(Loop, OpenMainWindowUsesTheTitleOrReplacesIt) {
    WindowSettings.OnOpen = Opening;
    OpenMainWindow(u"");
    EXPECT_EQ(standin::Get().windowTitle, u"vellisk");
    EXPECT_EQ(trace, std::vector<std::string>{"open"});
    OpenMainWindow(u"other");
    EXPECT_EQ(standin::Get().windowTitle, u"other");
    EXPECT_EQ(WindowSettings.Title, u"other");
}

TEST(StartUp, FillsTheSettingsAndOpensTheWindow) {
    standin::Reset();
    PrepareProgram();
    const auto& s = WindowSettings;
    EXPECT_EQ(s.WindowFlags, 0xCA0001u);
    EXPECT_EQ(s.WindowNumber, 1);
    EXPECT_EQ(s.Title, u"vellisk");
    const auto& st = standin::Get();
    EXPECT_EQ(st.prepareCalls, 1);
    EXPECT_EQ(st.windowNumber, 1);
    EXPECT_EQ(st.windowTitle, u"vellisk");
    EXPECT_EQ(st.windowArea.width, 400);
    EXPECT_EQ(st.windowArea.height, 300);
    EXPECT_EQ(st.windowOptions, 0xCA0001u);
    EXPECT_NE(s.WindowHandle, 0);
    EXPECT_EQ(s.OnClose, nullptr);
    EXPECT_EQ(s.OnExit, nullptr);
}

TEST(StartUp, TheProgramEndsWithZeroOnAClose) {
    standin::Reset();
    standin::QueueEvent(CloseEvent);
    try {
        StartProgram();
        FAIL() << "returned";
    } catch (const standin::ProcessEnded& end) {
        EXPECT_EQ(end.exitCode, 0);
    }
}

TEST(Identity, AboutTextHasNineLinesAndTheHeaderComposesOnDemand) {
    IdentityStrings = IdentityStringsRecord{};
    FillIdentityStrings();
    EXPECT_EQ(IdentityStrings.AboutHeader, u"");
    const Text& about = IdentityStrings.AboutText;
    size_t breaks = 0;
    for (size_t i = 0; i + 1 < about.size(); ++i)
        if (about[i] == u'\r' && about[i + 1] == u'\n') ++breaks;
    EXPECT_EQ(breaks, 8u);
    EXPECT_NE(about.substr(about.size() - 2), u"\r\n");
    EXPECT_EQ(about.rfind(u"\r\n\r\nПишите на почтовый адрес ", std::u16string::npos) != Text::npos, true);
    EXPECT_EQ(IdentityStrings.AdvertText, about.substr(about.find(u"Вы можете")));

    ComposeAboutHeader();
    Text header = IdentityStrings.AboutHeader;
    ASSERT_EQ(header.rfind(u"vellisk v.161209 ", 0), 0u) << "the notice begins with a space after the version";
    EXPECT_EQ(header, u"vellisk v.161209" + IdentityStrings.MakerNotice + u"\r\n" + IdentityStrings.MakerWebAddress);
    ComposeAboutHeader();
    EXPECT_EQ(IdentityStrings.AboutHeader, header);
}

} // namespace
