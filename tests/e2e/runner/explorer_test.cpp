// vellisk as Explorer starts it: from "Send To", a shortcut that files are
// dropped on, or a shortcut key. Explorer puts each selected file's full path
// on the command line after the program's, in double quotes when it holds a
// space; the object is the first of them. And what Explorer shows of the
// file, its version record, names the program as the About box does.
#include <ostream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "form_support.h"

namespace e2e::form {
namespace {

struct ExplorerCase {
    const char* name;
    std::string arguments; // after the program's path, as Explorer writes them
    std::string object, path, fileName, saveFile;
};

void PrintTo(const ExplorerCase& c, std::ostream* out) { *out << c.name; }

const ExplorerCase ExplorerCases[] = {
    {"OneFileWithoutSpaces", "C:\\Users\\ann\\Documents\\notes.docx", "C:\\Users\\ann\\Documents\\notes.docx",
     "C:\\Users\\ann\\Documents\\", "notes.docx", "notes.docx.txt"},
    // Several selected files: only the first counts, quoted or not, and
    // whatever the others look like.
    {"SeveralQuotedFiles",
     "\"C:\\Users\\ann\\My Documents\\Annual Report.docx\" \"C:\\Users\\ann\\My Documents\\Budget 2026.xlsx\" "
     "C:\\Users\\ann\\notes.txt",
     "C:\\Users\\ann\\My Documents\\Annual Report.docx", "C:\\Users\\ann\\My Documents\\", "Annual Report.docx",
     "annual_report.docx.txt"},
    {"SeveralFilesTheFirstUnquoted", "C:\\Users\\ann\\notes.txt \"C:\\Users\\ann\\My Documents\\Annual Report.docx\"",
     "C:\\Users\\ann\\notes.txt", "C:\\Users\\ann\\", "notes.txt", "notes.txt"},
    // A folder comes without a closing backslash: its parent is the target.
    {"AFolder", "\"C:\\Users\\ann\\My Projects\"", "C:\\Users\\ann\\My Projects", "C:\\Users\\ann\\", "My Projects",
     "my_projects.txt"},
    {"ADrive", "C:\\", "C:\\", "C:\\", "", "_read_me.txt"},
    {"ANetworkShare", "\"\\\\fileserver\\team share\\Minutes 11.12.docx\"",
     "\\\\fileserver\\team share\\Minutes 11.12.docx", "\\\\fileserver\\team share\\", "Minutes 11.12.docx",
     "minutes_11.12.docx.txt"},
    {"CyrillicNames", "\"C:\\Users\\ann\\Отчёты\\План работ.docx\"", "C:\\Users\\ann\\Отчёты\\План работ.docx",
     "C:\\Users\\ann\\Отчёты\\", "План работ.docx", "план_работ.docx.txt"},
};

class ExplorerStart : public E2eTest, public ::testing::WithParamInterface<ExplorerCase> {};

TEST_P(ExplorerStart, TheFirstPathIsTheObject) {
    const ExplorerCase& c = GetParam();
    PrepareClipboard("text copied before");
    Vellisk vellisk(c.arguments);
    EXPECT_EQ(Text(ObjectField), c.object);
    EXPECT_EQ(Text(PathField), c.path);
    EXPECT_EQ(Text(FileNameField), c.fileName);
    EXPECT_EQ(Text(SaveFileField), c.saveFile);
    EXPECT_EQ(Text(Editor), "text copied before");
}

INSTANTIATE_TEST_SUITE_P(Explorer, ExplorerStart, ::testing::ValuesIn(ExplorerCases),
                         [](const ::testing::TestParamInfo<ExplorerCase>& c) { return std::string(c.param.name); });

// ---- the version record -------------------------------------------------------

// One text of the version record, as the resource compiler writes it back:
//       VALUE "ProductName", "vellisk"
std::string RecordValue(const std::string& script, const std::string& key) {
    std::string marker = "VALUE \"" + key + "\", \"";
    size_t start = script.find(marker);
    if (start == std::string::npos) return "<no " + key + ">";
    start += marker.size();
    return script.substr(start, script.find('"', start) - start);
}

using ExplorerDetails = E2eTest;

TEST_F(ExplorerDetails, TheVersionRecordNamesTheProgramAsItsWindowAndAboutBoxDo) {
    CommandResult decompiled = RunTool({"x86_64-w64-mingw32-windres", "-i", Config().exe, "-O", "rc"});
    ASSERT_TRUE(WIFEXITED(decompiled.status) && WEXITSTATUS(decompiled.status) == 0)
        << "windres " << DescribeStatus(decompiled.status) << ": " << decompiled.output;
    std::string product = RecordValue(decompiled.output, "ProductName");
    EXPECT_EQ(RecordValue(decompiled.output, "OriginalFilename"), product + ".exe");

    PrepareClipboard(std::nullopt);
    Vellisk vellisk;
    EXPECT_EQ(vellisk.Window().fields.at("title"), product);
    Click(AboutButton);
    Box about = WaitBox();
    // "vellisk v.161209 (c) ...": the name, then the version.
    EXPECT_TRUE(about.text.starts_with(product + " v.")) << about;
    Answer("OK");
}

} // namespace
} // namespace e2e::form
