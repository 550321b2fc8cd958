// Saving on the real file system: the bytes written, the overwrite question,
// every failure box with its exact texts and buttons, and which of "Save",
// "Save and Close" and "Close" leave the window open.
//
// The files go to a fresh folder under the prefix's drive_c (C:\ in Wine),
// which every prefix has, rather than through the Z: mapping of /, which a
// prefix may lack.
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>

#include "form_support.h"

namespace e2e::form {
namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

// What a folder holds: names with the bytes of files, "<folder>" for folders.
std::map<std::string, std::string> Contents(const fs::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = fs::relative(entry.path(), folder).string();
        contents[name] = entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
    }
    return contents;
}

enum class Press { Save, SaveAndClose };

Gadget ButtonOf(Press press) { return press == Press::Save ? SaveButton : SaveAndCloseButton; }

std::string PressName(Press press) { return press == Press::Save ? "Save" : "SaveAndClose"; }

void PrintTo(Press press, std::ostream* out) { *out << PressName(press); }

Box OverwriteQuestion(const std::string& lowerPath) {
    return Box{"Save file", "File exist: " + lowerPath + "\r\nOverwrite ?", {"Yes", "No"}, false};
}

Box ErrorBox(const std::string& text) { return Box{"Error", text, {"OK"}, false}; }

void ExpectBox(const Box& got, const Box& want) {
    EXPECT_EQ(got.title, want.title) << got;
    EXPECT_EQ(got.text, want.text) << got;
    EXPECT_EQ(got.buttons, want.buttons) << got;
    EXPECT_FALSE(got.icon) << got;
}

// ---- roads that write the file ----------------------------------------------------

struct WriteRoad {
    const char* name;
    std::optional<std::string> clipboard; // the editor's text; none: empty
    std::optional<std::string> existing;  // a file already there, with these bytes
    const char* objectName;               // the object's name in the folder
    const char* savedName;                // the name on disk, derived from it
    std::string bytes;                    // what the file must hold
};

const WriteRoad WriteRoads[] = {
    {"LineBreaksTabsAndCyrillic", "Первая строка\r\n\tвторая строка\r\nlast line, no break", std::nullopt,
     "Report Draft.DOCX", "report_draft.docx.txt",
     "\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB0\xD1\x8F \xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xBA\xD0\xB0\r\n"
     "\t\xD0\xB2\xD1\x82\xD0\xBE\xD1\x80\xD0\xB0\xD1\x8F \xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xBA\xD0\xB0\r\n"
     "last line, no break"},
    {"EmptyEditorGivesAnEmptyFile", std::nullopt, std::nullopt, "Empty.TXT", "empty.txt", ""},
    // The new text is shorter: nothing of the old one may remain.
    {"ExistingFileAnsweredYes", "new", "old content, longer than the new text\r\n", "Old.txt", "old.txt", "new"},
    // A code unit that is half a surrogate pair is written as U+FFFD.
    {"LoneSurrogate", "x\xED\xA0\x80y", std::nullopt, "Odd.doc", "odd.doc.txt", "x\xEF\xBF\xBDy"},
};

void PrintTo(const WriteRoad& road, std::ostream* out) { *out << road.name; }

class FormSaveWrites : public E2eTest, public ::testing::WithParamInterface<std::tuple<WriteRoad, Press>> {};

TEST_P(FormSaveWrites, WritesExactlyTheEditorTextAsUtf8) {
    const auto& [road, press] = GetParam();
    DriveCFolder folder;
    PrepareClipboard(road.clipboard);
    if (road.existing) WriteBytes(folder.Unix() / road.savedName, *road.existing);

    Vellisk vellisk(Quoted(folder.Windows() + road.objectName));
    ASSERT_EQ(Text(PathField), folder.Windows());
    ASSERT_EQ(Text(SaveFileField), road.savedName);
    std::string editor = Text(Editor);

    Click(ButtonOf(press));
    if (road.existing) {
        ExpectBox(WaitBox(), OverwriteQuestion(folder.Lower() + road.savedName));
        Answer("Yes");
    }
    if (press == Press::Save) {
        WaitUntilClicksHandled();
        EXPECT_TRUE(vellisk.Running()) << "Save ended the program";
        EXPECT_EQ(Text(Editor), editor) << "saving changed the editor";
    } else {
        EXPECT_EQ(vellisk.WaitExit(), 0);
    }

    std::map<std::string, std::string> want{{road.savedName, road.bytes}};
    EXPECT_EQ(Contents(folder.Unix()), want);
}

INSTANTIATE_TEST_SUITE_P(Form, FormSaveWrites,
                         ::testing::Combine(::testing::ValuesIn(WriteRoads),
                                            ::testing::Values(Press::Save, Press::SaveAndClose)),
                         [](const ::testing::TestParamInfo<std::tuple<WriteRoad, Press>>& p) {
                             return std::string(std::get<0>(p.param).name) + "_" + PressName(std::get<1>(p.param));
                         });

// ---- roads that write nothing -------------------------------------------------------

struct FailureRoad {
    const char* name;
    const char* objectName;
    std::function<void(const DriveCFolder&)> prepare; // on disk, before the start
    std::function<void()> beforeClick;                 // on the form, before the click
    std::function<Box(const DriveCFolder&)> box;
    const char* answer;
};

void PrintTo(const FailureRoad& road, std::ostream* out) { *out << road.name; }

const FailureRoad FailureRoads[] = {
    {"NameIsAFolder", "x.txt", [](const DriveCFolder& f) { fs::create_directory(f.Unix() / "x.txt"); }, [] {},
     [](const DriveCFolder&) { return ErrorBox("FileName is a directory!"); }, "OK"},
    // The folder is not made: the file cannot be created in it.
    {"MissingFolder", "Missing\\Notes.doc", [](const DriveCFolder&) {}, [] {},
     [](const DriveCFolder& f) { return ErrorBox("may not create the file! " + f.Lower() + "missing\\notes.doc.txt"); },
     "OK"},
    {"OverwriteAnsweredNo", "Keep.txt",
     [](const DriveCFolder& f) { WriteBytes(f.Unix() / "keep.txt", "old bytes\r\n"); }, [] {},
     [](const DriveCFolder& f) { return OverwriteQuestion(f.Lower() + "keep.txt"); }, "No"},
    // The derived name is never empty, so no user road leads here: another
    // program writes the label, as an automation tool could.
    {"EmptyNameWrittenFromOutside", "Name.doc", [](const DriveCFolder&) {}, [] { SetText(SaveFileField, "   "); },
     [](const DriveCFolder&) { return ErrorBox("Filename ?"); }, "OK"},
};

class FormSaveFails : public E2eTest, public ::testing::WithParamInterface<std::tuple<FailureRoad, Press>> {};

TEST_P(FormSaveFails, ShowsItsBoxWritesNothingAndKeepsTheWindow) {
    const auto& [road, press] = GetParam();
    DriveCFolder folder;
    PrepareClipboard("Текст\r\nостаётся\tкак был");
    road.prepare(folder);
    std::map<std::string, std::string> before = Contents(folder.Unix());

    Vellisk vellisk(Quoted(folder.Windows() + road.objectName));
    road.beforeClick();
    std::vector<std::string> fields{Text(ObjectField), Text(PathField), Text(FileNameField), Text(SaveFileField)};
    std::string editor = Text(Editor);

    Click(ButtonOf(press));
    ExpectBox(WaitBox(), road.box(folder));
    Answer(road.answer);
    // Nothing more follows the box, and the program goes on.
    WaitUntilClicksHandled();
    EXPECT_TRUE(vellisk.Running()) << "the program ended";
    EXPECT_EQ(ParseWindow(Expect({"window"})).fields.at("visible"), "1");
    EXPECT_EQ(Text(Editor), editor);
    EXPECT_EQ((std::vector<std::string>{Text(ObjectField), Text(PathField), Text(FileNameField), Text(SaveFileField)}),
              fields);
    EXPECT_EQ(Contents(folder.Unix()), before);
}

INSTANTIATE_TEST_SUITE_P(Form, FormSaveFails,
                         ::testing::Combine(::testing::ValuesIn(FailureRoads),
                                            ::testing::Values(Press::Save, Press::SaveAndClose)),
                         [](const ::testing::TestParamInfo<std::tuple<FailureRoad, Press>>& p) {
                             return std::string(std::get<0>(p.param).name) + "_" + PressName(std::get<1>(p.param));
                         });

// ---- Close ------------------------------------------------------------------------

using FormClose = E2eTest;

TEST_F(FormClose, EndsAtOnceWithExitCode0WithoutAQuestionOrAFile) {
    DriveCFolder folder;
    PrepareClipboard("text that is not saved");
    Vellisk vellisk(Quoted(folder.Windows() + "Unsaved.doc"));
    ASSERT_EQ(Text(Editor), "text that is not saved");

    Click(CloseButton);
    // A box would hold the program until answered, and nothing answers it.
    EXPECT_EQ(vellisk.WaitExit(), 0);
    EXPECT_TRUE(Contents(folder.Unix()).empty());
}

} // namespace
} // namespace e2e::form
