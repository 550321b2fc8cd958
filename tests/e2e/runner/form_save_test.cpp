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

#include <sys/wait.h>
#include <unistd.h>

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

struct Asked {
    Box box;
    const char* answer;
};

// Something set up before the start; `undo` gives it back, whatever the test
// saw. False: this machine cannot make the fault.
using Prepare = std::function<bool(const DriveCFolder&, std::function<void()>& undo)>;

struct FailureRoad {
    const char* name;
    std::function<std::string(const DriveCFolder&)> object; // the object path
    Prepare prepare;
    std::function<void()> beforeClick; // on the form, before the click
    std::function<std::vector<Asked>(const DriveCFolder&)> boxes;
    std::function<void()> check = [] {}; // after the boxes, beside the common checks
    bool diskFillsUp = false;            // files may not grow beyond DiskRoom bytes
};

void PrintTo(const FailureRoad& road, std::ostream* out) { *out << road.name; }

constexpr unsigned long DiskRoom = 32 * 1024;

std::function<std::string(const DriveCFolder&)> InFolder(const std::string& name) {
    return [name](const DriveCFolder& f) { return f.Windows() + name; };
}

bool Nothing(const DriveCFolder&, std::function<void()>&) { return true; }

std::function<void()> NoClick = [] {};

std::vector<Asked> Error(const std::string& text) { return {{ErrorBox(text), "OK"}}; }

// Asked about the existing file, answered Yes, then this error.
std::vector<Asked> OverwriteThenError(const std::string& lowerPath, const std::string& text) {
    return {{OverwriteQuestion(lowerPath), "Yes"}, {ErrorBox(text + lowerPath), "OK"}};
}

// The file's permissions say read-only. Wine shows that as the read-only
// attribute, but root may write such a file all the same; for root the file
// is also made immutable, where the file system allows it.
bool MakeReadOnly(const fs::path& file, std::function<void()>& undo) {
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    undo = [file] { fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write); };
    if (geteuid() == 0) {
        CommandResult immutable = RunTool({"chattr", "+i", file.string()});
        if (!(WIFEXITED(immutable.status) && WEXITSTATUS(immutable.status) == 0)) return false;
        undo = [file] {
            RunTool({"chattr", "-i", file.string()});
            fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        };
    }
    return true;
}

const std::string PipeName = "vellisk-e2e.txt";

const FailureRoad FailureRoads[] = {
    {"NameIsAFolder", InFolder("x.txt"),
     [](const DriveCFolder& f, auto&) { return fs::create_directory(f.Unix() / "x.txt"); }, NoClick,
     [](const DriveCFolder&) { return Error("FileName is a directory!"); }},
    // The folder is not made: the file cannot be created in it.
    {"MissingFolder", InFolder("Missing\\Notes.doc"), Nothing, NoClick,
     [](const DriveCFolder& f) { return Error("may not create the file! " + f.Lower() + "missing\\notes.doc.txt"); }},
    {"OverwriteAnsweredNo", InFolder("Keep.txt"),
     [](const DriveCFolder& f, auto&) {
         WriteBytes(f.Unix() / "keep.txt", "old bytes\r\n");
         return true;
     },
     NoClick, [](const DriveCFolder& f) { return std::vector<Asked>{{OverwriteQuestion(f.Lower() + "keep.txt"), "No"}}; }},
    // The derived name is never empty, so no user road leads here: another
    // program writes the label, as an automation tool could.
    {"EmptyNameWrittenFromOutside", InFolder("Name.doc"), Nothing, [] { SetText(SaveFileField, "   "); },
     [](const DriveCFolder&) { return Error("Filename ?"); }},
    {"ReadOnlyFile", InFolder("Locked.txt"),
     [](const DriveCFolder& f, std::function<void()>& undo) {
         WriteBytes(f.Unix() / "locked.txt", "stays as it was");
         return MakeReadOnly(f.Unix() / "locked.txt", undo);
     },
     NoClick,
     [](const DriveCFolder& f) { return OverwriteThenError(f.Lower() + "locked.txt", "may not create the file! "); }},
    {"FileHeldOpenWithoutSharing", InFolder("Held.txt"),
     [](const DriveCFolder& f, std::function<void()>& undo) {
         WriteBytes(f.Unix() / "held.txt", "another program's bytes");
         std::string id = Expect({"file-hold", f.Windows() + "held.txt"}).at(0);
         undo = [id] { Expect({"file-release", id}); };
         return true;
     },
     NoClick,
     [](const DriveCFolder& f) { return OverwriteThenError(f.Lower() + "held.txt", "may not create the file! "); }},
    // "|", "<" and ">" are not allowed in names.
    {"NameWithRejectedCharacters", InFolder("Q|A <1>.doc"), Nothing, NoClick,
     [](const DriveCFolder& f) { return Error("may not create the file! " + f.Lower() + "q|a_<1>.doc.txt"); }},
    // The probe finds the file that the pattern matches; creating a file of
    // that name cannot work.
    {"WildcardMatchingAFile", InFolder("*.doc"),
     [](const DriveCFolder& f, auto&) {
         WriteBytes(f.Unix() / "match.doc.txt", "matched, and kept");
         return true;
     },
     NoClick,
     [](const DriveCFolder& f) { return OverwriteThenError(f.Lower() + "*.doc.txt", "may not create the file! "); }},
    // No file system takes a name of more than 255 units.
    {"NameTooLong", InFolder(std::string(300, 'N') + ".doc"), Nothing, NoClick,
     [](const DriveCFolder& f) {
         return Error("may not create the file! " + f.Lower() + std::string(300, 'n') + ".doc.txt");
     }},
    // "nul.txt" names the null device in every folder: the probe sees
    // something there, and it takes everything and keeps nothing.
    {"NullDevice", InFolder("NUL"), Nothing, NoClick,
     [](const DriveCFolder& f) { return OverwriteThenError(f.Lower() + "nul.txt", "may not write the file! "); }},
    // A pipe of another program's: it receives nothing.
    {"NamedPipe", [](const DriveCFolder&) { return "\\\\.\\pipe\\" + PipeName.substr(0, PipeName.size() - 4); },
     [](const DriveCFolder&, std::function<void()>& undo) {
         Expect({"pipe-serve", PipeName});
         undo = [] { Call({"pipe-close"}); };
         return true;
     },
     NoClick, [](const DriveCFolder&) { return Error("may not write the file! \\\\.\\pipe\\" + PipeName); },
     [] { EXPECT_EQ(Expect({"pipe-result", "10000"}, Milliseconds{20000}).at(0), "0") << "bytes sent to the pipe"; }},
    // The text does not fit: the file that was begun is not left behind.
    {"DiskFillsUp", InFolder("Big.doc"), Nothing,
     [] { SetText(Editor, "\xD0\x91\xD0\xBE\xD0\xBB\xD1\x8C\xD1\x88\xD0\xBE\xD0\xB9 text " + std::string(60000, 'x')); },
     [](const DriveCFolder& f) { return Error("may not write the file! " + f.Lower() + "big.doc.txt"); }, [] {},
     true},
};

class FormSaveFails : public E2eTest, public ::testing::WithParamInterface<std::tuple<FailureRoad, Press>> {};

TEST_P(FormSaveFails, ShowsItsBoxesWritesNothingAndKeepsTheWindow) {
    const auto& [road, press] = GetParam();
    DriveCFolder folder;
    PrepareClipboard("Текст\r\nостаётся\tкак был");
    std::function<void()> undo;
    struct Undo {
        std::function<void()>& undo;
        ~Undo() {
            if (undo) undo();
        }
    } undoAtEnd{undo};
    if (!road.prepare(folder, undo)) GTEST_SKIP() << "this machine cannot make the fault";
    std::map<std::string, std::string> before = Contents(folder.Unix());

    std::string object = road.object(folder);
    std::optional<Vellisk> vellisk;
    if (road.diskFillsUp) vellisk.emplace(object, DiskRoom);
    else vellisk.emplace(Quoted(object));
    road.beforeClick();
    std::vector<std::string> fields{Text(ObjectField), Text(PathField), Text(FileNameField), Text(SaveFileField)};
    std::string editor = Text(Editor);

    Click(ButtonOf(press));
    for (const Asked& asked : road.boxes(folder)) {
        ExpectBox(WaitBox(), asked.box);
        Answer(asked.answer);
    }
    // Nothing more follows the boxes, and the program goes on.
    WaitUntilClicksHandled();
    EXPECT_TRUE(vellisk->Running()) << "the program ended";
    EXPECT_EQ(ParseWindow(Expect({"window"})).fields.at("visible"), "1");
    EXPECT_EQ(Text(Editor), editor);
    EXPECT_EQ((std::vector<std::string>{Text(ObjectField), Text(PathField), Text(FileNameField), Text(SaveFileField)}),
              fields);
    road.check();
    if (undo) {
        undo();
        undo = nullptr;
    }
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
