#include <gtest/gtest.h>

#include "app/form.h"
#include "app/save.h"
#include "app_fixture.h"
#include "shell/window.h"

namespace {

class SaveTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        standin::AddDirectory(u"C:\\Docs");
    }
    void Target(TextView folder, TextView name, TextView text = u"hello") {
        platform::SetGadgetText(PathField, folder);
        platform::SetGadgetText(SaveFileField, name);
        platform::SetGadgetText(Editor, text);
    }
    const std::vector<standin::MessageRecord>& Messages() { return standin::Get().messages; }
    void ExpectOneBox(TextView title, TextView text, int32_t buttons) {
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].title, Text(title));
        EXPECT_EQ(Messages()[0].text, Text(text));
        EXPECT_EQ(Messages()[0].buttons, buttons);
    }
};

} // namespace

TEST_F(SaveTest, WritesTheEditorTextAsUtf8WithoutBom) {
    // CR LF, Cyrillic, a pair of surrogates and a lone one.
    Target(u"  C:\\Docs  ", u"  Notes.TXT ", u"Привет\r\n\xD83D\xDE00 \xDC00!");
    SaveText(SaveButton);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LastErrorText, u"");
    EXPECT_EQ(standin::FileBytes(u"c:\\docs\\notes.txt"),
              std::string("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\r\n\xF0\x9F\x98\x80 \xEF\xBF\xBD!"));
    EXPECT_EQ(standin::Get().openFiles.size(), 1u);
    EXPECT_TRUE(standin::Get().openFiles.begin()->second.closed);
}

TEST_F(SaveTest, BoxesThatStopTheSave) {
    struct Case {
        const char16_t *folder, *name, *title, *text;
    };
    const Case cases[] = {
        {u"C:\\Docs", u"   ", u"Error", u"Filename ?"},
        {u"C:\\", u"Docs", u"Error", u"FileName is a directory!"},
        {u"", u"C:", u"Error", u"FileName is a directory!"},
        // The lower-cased path; no second backslash after one already there.
        {u" C:\\Nowhere\\ ", u"A.txt", u"Error", u"may not create the file! c:\\nowhere\\a.txt"},
        {u"C:\\Nowhere", u"A.txt", u"Error", u"may not create the file! c:\\nowhere\\a.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(c.folder) + u"|" + c.name));
        standin::Get().messages.clear();
        Target(c.folder, c.name);
        SaveAndClose(SaveAndCloseButton); // returns: the window stays
        ExpectOneBox(c.title, c.text, MessageButtonsOk);
        EXPECT_NE(LastErrorText, u"");
        EXPECT_EQ(standin::Get().openFiles.size(), 0u);
    }
    EXPECT_EQ(standin::Get().files.size(), 0u);
}

TEST_F(SaveTest, AnExistingFileIsReplacedOnlyAfterYes) {
    standin::AddFile(u"C:\\Docs\\a.txt", "old content");
    Target(u"C:\\DOCS", u"A.txt", u"new");
    const Text question = u"File exist: c:\\docs\\a.txt\r\nOverwrite ?";

    standin::Get().answers = {MessageAnswerNo};
    SaveAndClose(SaveAndCloseButton);
    ExpectOneBox(u"Save file", question, MessageButtonsYesNo);
    EXPECT_EQ(LastErrorText, u"stop");
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\a.txt"), "old content");

    standin::Get().messages.clear();
    standin::Get().answers = {MessageAnswerYes};
    SaveText(SaveButton);
    ExpectOneBox(u"Save file", question, MessageButtonsYesNo);
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\a.txt"), "new");
}

TEST_F(SaveTest, AnEmptyEditorGivesAnEmptyFileEvenOverAnEmptyExistingOne) {
    Target(u"C:\\Docs", u"e.txt", u"");
    SaveText(SaveButton);
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\e.txt"), "");
    EXPECT_TRUE(Messages().empty());

    // Zero bytes still count as a file that exists.
    standin::Get().answers = {MessageAnswerYes};
    platform::SetGadgetText(Editor, u"x");
    SaveText(SaveButton);
    ExpectOneBox(u"Save file", u"File exist: c:\\docs\\e.txt\r\nOverwrite ?", MessageButtonsYesNo);
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\e.txt"), "x");
}

TEST_F(SaveTest, WithoutAFolderTheNameAloneIsThePath) {
    Target(u"   ", u"Plain.txt");
    SaveText(SaveButton);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(standin::FileBytes(u"plain.txt"), "hello");
}

TEST_F(SaveTest, AWildcardNameThatMatchesIsAskedAboutThenCannotBeCreated) {
    standin::AddFile(u"C:\\Docs\\a.txt", "keep");
    Target(u"C:\\Docs", u"*.txt");
    standin::Get().answers = {MessageAnswerYes};
    SaveText(SaveButton);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, u"File exist: c:\\docs\\*.txt\r\nOverwrite ?");
    EXPECT_EQ(Messages()[1].title, u"Error");
    EXPECT_EQ(Messages()[1].text, u"may not create the file! c:\\docs\\*.txt");
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\a.txt"), "keep");
}

TEST_F(SaveTest, AFailureAfterCreationIsReportedAndLeavesNoFileThatPassesForTheText) {
    struct Case {
        const char* name;
        void (*fault)(standin::State&);
        bool existing;       // a file was there already, and Yes was answered
        bool fileRemains;    // a device is not deleted
    };
    const Case cases[] = {
        {"write fails", [](standin::State& s) { s.writesFail = true; }, false, false},
        {"disk fills up part-way", [](standin::State& s) { s.diskSpace = 3; }, false, false},
        {"disk fills up over an existing file", [](standin::State& s) { s.diskSpace = 3; }, true, false},
        {"close fails", [](standin::State& s) { s.closesFail = true; }, false, false},
        {"a device, not a disk file", [](standin::State& s) { s.notDiskFile = true; }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartForm();
        standin::AddDirectory(u"C:\\Docs");
        if (c.existing) standin::AddFile(u"C:\\Docs\\out.txt", "old");
        standin::Get().answers = {MessageAnswerYes};
        c.fault(standin::Get());
        Target(u"C:\\Docs", u"out.txt", u"the whole text");
        SaveAndClose(SaveAndCloseButton); // returns: the window stays
        ASSERT_EQ(Messages().size(), c.existing ? 2u : 1u);
        EXPECT_EQ(Messages().back().title, u"Error");
        EXPECT_EQ(Messages().back().text, u"may not write the file! c:\\docs\\out.txt");
        EXPECT_EQ(LastErrorText, u"may not write the file! c:\\docs\\out.txt");
        EXPECT_EQ(TextOf(Editor), u"the whole text");
        for (const auto& [file, record] : standin::Get().openFiles) EXPECT_TRUE(record.closed);
        EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\out.txt").has_value(), c.fileRemains);
        if (c.fileRemains) EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\out.txt"), "") << "a device gets nothing";
    }
}

TEST_F(SaveTest, AFileThatMayNotBeWrittenIsAskedAboutThenLeftAsItWas) {
    standin::AddFile(u"C:\\Docs\\locked.txt", "kept");
    standin::Get().readOnly.insert(standin::FileKey(u"C:\\Docs\\locked.txt"));
    standin::Get().answers = {MessageAnswerYes};
    Target(u"C:\\Docs", u"Locked.txt");
    SaveAndClose(SaveAndCloseButton);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].title, u"Save file");
    EXPECT_EQ(Messages()[1].text, u"may not create the file! c:\\docs\\locked.txt");
    EXPECT_EQ(LastErrorText, u"may not create the file! c:\\docs\\locked.txt");
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\locked.txt"), "kept");
}

TEST_F(SaveTest, SaveAndCloseEndsTheProgramOnceTheFileIsWritten) {
    Target(u"C:\\Docs", u"done.txt", u"bye\r\n");
    standin::QueueClick(SaveAndCloseButton);
    WindowSettings.OnEachEvent = DoNothingOnEachEvent;
    try {
        RunEventLoop();
        FAIL() << "the program did not end";
    } catch (const standin::ProcessEnded& ended) {
        EXPECT_EQ(ended.exitCode, 0);
    }
    EXPECT_EQ(standin::FileBytes(u"C:\\Docs\\done.txt"), "bye\r\n");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(SaveTest, CloseEndsAtOnceWithoutSaving) {
    Target(u"C:\\Docs", u"never.txt");
    try {
        CloseProgram(CloseButton);
    } catch (const standin::ProcessEnded& ended) {
        EXPECT_EQ(ended.exitCode, 0);
    }
    EXPECT_EQ(standin::Get().calls.back(), "EndProcess");
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(standin::Get().files.empty());
}
