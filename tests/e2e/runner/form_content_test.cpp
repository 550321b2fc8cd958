// What the form holds: filled at start from the real command line and the
// real clipboard, re-derived by "=" and the "<--" buttons, and rewritten by
// the two clean-up buttons.
#include <optional>
#include <ostream>
#include <string>

#include "form_support.h"

namespace e2e::form {
namespace {

struct Fields {
    std::string object, path, fileName, saveFile;
};

Fields ReadFields() { return {Text(ObjectField), Text(PathField), Text(FileNameField), Text(SaveFileField)}; }

void ExpectFields(const Fields& got, const Fields& want, const std::string& context) {
    EXPECT_EQ(got.object, want.object) << context << ": ObjectField";
    EXPECT_EQ(got.path, want.path) << context << ": PathField";
    EXPECT_EQ(got.fileName, want.fileName) << context << ": FileNameField";
    EXPECT_EQ(got.saveFile, want.saveFile) << context << ": SaveFileField";
}

// ---- start-up -------------------------------------------------------------------

struct StartCase {
    const char* name;
    std::optional<std::string> clipboard; // none: an empty clipboard
    std::string arguments;                // after the program's path, as typed
    Fields fields;
    std::string editor;
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class FormStartUp : public E2eTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(FormStartUp, FillsTheFormFromTheArgumentAndTheClipboard) {
    const StartCase& c = GetParam();
    PrepareClipboard(c.clipboard);
    Vellisk vellisk(c.arguments);
    ExpectFields(ReadFields(), c.fields, c.name);
    EXPECT_EQ(Text(Editor), c.editor);
}

INSTANTIATE_TEST_SUITE_P(
    Form, FormStartUp,
    ::testing::Values(
        StartCase{"NoArgumentNoClipboard", std::nullopt, "", {"", "", "", "_read_me.txt"}, ""},
        StartCase{"QuotedPathWithSpaces",
                  std::nullopt,
                  "\"C:\\Docs\\My Report.docx\"",
                  {"C:\\Docs\\My Report.docx", "C:\\Docs\\", "My Report.docx", "my_report.docx.txt"},
                  ""},
        StartCase{"UnquotedPathEndsAtTheFirstSpace",
                  std::nullopt,
                  "C:\\Docs\\My Report.docx",
                  {"C:\\Docs\\My", "C:\\Docs\\", "My", "my.txt"},
                  ""},
        StartCase{"FolderEndingInABackslash",
                  std::nullopt,
                  "C:\\Docs\\",
                  {"C:\\Docs\\", "C:\\Docs\\", "", "_read_me.txt"},
                  ""},
        // A backslash escapes nothing, not even before the closing quote.
        StartCase{"QuotedFolderKeepsItsBackslash",
                  std::nullopt,
                  "\"C:\\My Docs\\\"",
                  {"C:\\My Docs\\", "C:\\My Docs\\", "", "_read_me.txt"},
                  ""},
        // Only spaces are trimmed: the TAB, the line breaks and the spaces
        // before the last one stay.
        StartCase{"ClipboardOnly",
                  "  Первая строка\r\n\tвторая  \r\n  ",
                  "",
                  {"", "", "", "_read_me.txt"},
                  "Первая строка\r\n\tвторая  \r\n"},
        // The object is trimmed of the spaces inside its quotes; a further
        // argument is not looked at.
        StartCase{"ArgumentAndClipboard",
                  "Notes\r\nto keep",
                  "\"  C:\\Docs\\Plan.TXT  \" C:\\Other\\ignored.doc",
                  {"C:\\Docs\\Plan.TXT", "C:\\Docs\\", "Plan.TXT", "plan.txt"},
                  "Notes\r\nto keep"},
        // A quote that is never closed runs to the end of the line.
        StartCase{"UnbalancedQuote",
                  std::nullopt,
                  "\"C:\\Docs\\Unclosed Draft.doc",
                  {"C:\\Docs\\Unclosed Draft.doc", "C:\\Docs\\", "Unclosed Draft.doc", "unclosed_draft.doc.txt"},
                  ""},
        // An empty quoted argument is an empty object; the next is not used.
        StartCase{"EmptyQuotedArgument", std::nullopt, "\"\" C:\\Docs\\second.doc", {"", "", "", "_read_me.txt"}, ""},
        // Close to the longest command line Windows passes on.
        StartCase{"ThirtyThousandCharacters",
                  std::nullopt,
                  "\"C:\\" + std::string(30000, 'L') + ".doc\"",
                  {"C:\\" + std::string(30000, 'L') + ".doc", "C:\\", std::string(30000, 'L') + ".doc",
                   std::string(30000, 'l') + ".doc.txt"},
                  ""}),
    [](const ::testing::TestParamInfo<StartCase>& c) { return std::string(c.param.name); });

// ---- derivation ------------------------------------------------------------------

struct DeriveCase {
    const char* name;
    Gadget button;
    Fields before; // all four are written first, SaveFileField too
    Fields after;
};

// Written into SaveFileField beforehand, to see whether a button derives it.
const char* const Stale = "stale.txt";

const DeriveCase DeriveCases[] = {
    {"EqualsOnAPathWithSpacesAround", ObjectButton,
     {"  C:\\Users\\ann\\Documents\\Annual Report.docx  ", "old", "old", Stale},
     {"  C:\\Users\\ann\\Documents\\Annual Report.docx  ", "C:\\Users\\ann\\Documents\\", "Annual Report.docx",
      "annual_report.docx.txt"}},
    {"EqualsOnAFolderWithoutBackslash", ObjectButton,
     {"C:\\Users\\ann\\Documents", "old", "old", Stale},
     {"C:\\Users\\ann\\Documents", "C:\\Users\\ann\\", "Documents", "documents.txt"}},
    {"EqualsOnADrivePrefixWithoutSeparator", ObjectButton,
     {"D:readme.md", "old", "old", Stale},
     {"D:readme.md", "", "D:readme.md", "d:readme.md.txt"}},
    {"EqualsOnCyrillicCapitals", ObjectButton,
     {"C:\\Отчёты\\ПЛАН  РАБОТ.doc", "old", "old", Stale},
     {"C:\\Отчёты\\ПЛАН  РАБОТ.doc", "C:\\Отчёты\\", "ПЛАН  РАБОТ.doc", "план_работ.doc.txt"}},
    {"EqualsOnAnEmptyObject", ObjectButton,
     {"", "C:\\old\\", "old.doc", Stale},
     {"", "", "", "_read_me.txt"}},
    {"PathArrowDerivesThePathAlone", PathButton,
     {"C:\\a\\b.txt", "typed by hand", "keep me", Stale},
     {"C:\\a\\b.txt", "C:\\a\\", "keep me", Stale}},
    {"FileNameArrowDerivesTheFileNameAlone", FileNameButton,
     {"C:\\a\\Notes.TXT", "keep me", "typed by hand", Stale},
     {"C:\\a\\Notes.TXT", "keep me", "Notes.TXT", Stale}},
    {"SaveFileArrowFromAnEditedName", SaveFileButton,
     {"C:\\a\\b.txt", "C:\\a\\", "  name\twith\ttabs.doc ", Stale},
     {"C:\\a\\b.txt", "C:\\a\\", "  name\twith\ttabs.doc ", "name_with_tabs.doc.txt"}},
    {"SaveFileArrowKeepsOneTxtEnding", SaveFileButton,
     {"", "", "x.TXT", Stale},
     {"", "", "x.TXT", "x.txt"}},
    // The TAB survives the trims and ends as an underscore.
    {"SaveFileArrowOnATabAlone", SaveFileButton,
     {"", "", "\t", Stale},
     {"", "", "\t", "_.txt"}},
};

using FormDerivation = E2eTest;

TEST_F(FormDerivation, EachButtonDerivesItsFieldsFromTheEditedFields) {
    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    for (const DeriveCase& c : DeriveCases) {
        SetText(ObjectField, c.before.object);
        SetText(PathField, c.before.path);
        SetText(FileNameField, c.before.fileName);
        SetText(SaveFileField, c.before.saveFile);
        Click(c.button);
        WaitUntilClicksHandled();
        ExpectFields(ReadFields(), c.after, c.name);
    }
}

// ---- clean-up --------------------------------------------------------------------

struct CleanUpCase {
    const char* name;
    Gadget button;
    std::string before, after;
};

const std::string Fox = "The quick brown fox jumps over the lazy dog.";
const std::string Cyrillic = "Съешь же ещё этих мягких французских булок,\tда выпей же чаю.";

const CleanUpCase CleanUpCases[] = {
    {"CompressRunsAndEmptyLines", CompressSpacesButton, "Hello   world  \r\n\r\n\r\nNext    line \r\n",
     "Hello world\r\nNext line\r\n"},
    {"CompressKeepsTabsAndDropsLinesOfSpaces", CompressSpacesButton, "a\t \tb  \r\n  \r\n\r\nc", "a\t \tb\r\nc"},
    {"CompressCyrillic", CompressSpacesButton, "  Привет,   мир!  \r\n\r\n  Вторая   строка",
     " Привет, мир!\r\n Вторая строка"},
    {"WrapTurnsTabsIntoSpaces", ColumnWrapButton, "a\tb\t\tc", "a b c "},
    {"WrapKeepsOneEmptyLineBetweenParagraphs", ColumnWrapButton, "para one.\r\n\r\n\r\n\r\npara two.",
     "para one.\r\n\r\npara two. "},
    {"WrapALongLine", ColumnWrapButton, Fox + " " + Fox + " " + Fox,
     "The quick brown fox jumps over the lazy dog. The quick brown fox \r\n"
     "jumps over the lazy dog. The quick brown fox jumps over the lazy \r\n"
     "dog. "},
    // The text before a line break counts towards the line after it.
    {"WrapCountsTextBeforeALineBreak", ColumnWrapButton,
     "one two three four five six seven eight\r\nnine ten eleven twelve thirteen fourteen",
     "one two three four five six seven eight\r\nnine ten eleven twelve \r\nthirteen fourteen "},
    {"WrapCyrillicWithTabs", ColumnWrapButton, Cyrillic + " " + Cyrillic,
     "Съешь же ещё этих мягких французских булок, да выпей же чаю. \r\n"
     "Съешь же ещё этих мягких французских булок, да выпей же чаю. "},
    {"WrapAWordLongerThanALine", ColumnWrapButton, std::string(65, 'x') + " y",
     "\r\n" + std::string(65, 'x') + " \r\ny "},
    {"WrapAnEmptyText", ColumnWrapButton, "", " "},
    {"CompressAnEmptyText", CompressSpacesButton, "", ""},
};

using FormCleanUp = E2eTest;

TEST_F(FormCleanUp, EachButtonRewritesTheEditorText) {
    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    for (const CleanUpCase& c : CleanUpCases) {
        SetText(Editor, c.before);
        ASSERT_EQ(Text(Editor), c.before) << c.name << ": the editor does not hold the text it was given";
        Click(c.button);
        WaitUntilClicksHandled();
        EXPECT_EQ(Text(Editor), c.after) << c.name;
    }
}

} // namespace
} // namespace e2e::form
