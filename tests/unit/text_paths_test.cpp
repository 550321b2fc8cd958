// Path primitives: trailing backslash, folder and file parts, and the file
// probe against the stand-in's file system.
#include <gtest/gtest.h>

#include "support/standin.h"
#include "text/text.h"

namespace {

std::string Show(TextView text) { return ::testing::PrintToString(Text(text)); }

class TextPaths : public ::testing::Test {
protected:
    void SetUp() override { standin::Reset(); }
};

TEST_F(TextPaths, WithTrailingBackslashTrimsAndEndsInOneBackslash) {
    struct Case {
        const char16_t* path;
        const char16_t* expected;
    };
    static const Case cases[] = {
        {u"  C:\\Docs  ", u"C:\\Docs\\"},
        {u"C:\\Docs\\", u"C:\\Docs\\"},
        {u" C:\\Docs\\ ", u"C:\\Docs\\"},
        {u"C:\\Docs\\\\", u"C:\\Docs\\\\"}, // an existing double ending is left alone
        {u"", u"\\"},
        {u"   ", u"\\"},
        {u"C:/Docs/", u"C:/Docs/\\"}, // only a backslash counts as the ending
        {u"\tC:\\Docs", u"\tC:\\Docs\\"},
    };
    for (const Case& c : cases) EXPECT_EQ(WithTrailingBackslash(c.path), c.expected) << "path: " << Show(c.path);
}

TEST_F(TextPaths, FolderAndFileParts) {
    struct Case {
        const char16_t* path;
        const char16_t* folder;
        const char16_t* file;
    };
    static const Case cases[] = {
        {u"C:\\Users\\ann\\Documents\\Annual Report.docx", u"C:\\Users\\ann\\Documents\\", u"Annual Report.docx"},
        {u"C:\\Users\\ann\\Documents\\", u"C:\\Users\\ann\\Documents\\", u""},
        {u"C:\\Users\\ann\\Documents", u"C:\\Users\\ann\\", u"Documents"},
        {u"C:/data/list.csv", u"C:/data/", u"list.csv"},
        {u"C:\\data/sub\\x", u"C:\\data/sub\\", u"x"},
        {u"\"C:\\Program Files\\tool\\notes.txt\"", u"C:\\Program Files\\tool\\", u"notes.txt"},
        {u"\"notes.txt\"", u"", u"notes.txt"},
        {u"\\\\server\\share\\a.txt", u"\\\\server\\share\\", u"a.txt"},
        {u"D:readme.md", u"", u"D:readme.md"},
        {u"notes.txt", u"", u"notes.txt"},
        // The folder scan stops at a vertical bar; the file scan does not.
        {u"C:\\a|b\\c.txt", u"C:\\", u"c.txt"},
        {u"|C:\\x", u"", u"x"},
        {u"C:\\dir\\na\"me", u"C:\\dir\\", u"na"}, // the file part ends at a quote
        {u"\"", u"", u""},
        {u"", u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FolderPart(c.path), c.folder) << "path: " << Show(c.path);
        EXPECT_EQ(FilePart(c.path), c.file) << "path: " << Show(c.path);
    }
}

TEST_F(TextPaths, FileSizeProbeTellsFilesFoldersDrivesAndNothing) {
    standin::Get().drives.insert(u"D:\\");
    standin::AddDirectory(u"C:\\Docs");
    standin::AddFile(u"C:\\Docs\\empty.txt", "");
    standin::AddFile(u"C:\\Docs\\notes.txt", "hello");
    struct Case {
        const char16_t* path;
        int64_t expected;
    };
    static const Case cases[] = {
        {u"", -1},
        {u"C:\\Docs", -2},
        {u"C:\\Docs\\", -2},
        {u"C:\\Docs\\\\\\", -2},
        {u"C:\\Docs\\empty.txt", 0},
        {u"C:\\Docs\\notes.txt", 5},
        {u"C:\\Docs\\notes.txt\\", 5},
        {u"C:\\Docs\\missing.txt", -1},
        {u"C:\\Missing\\notes.txt", -1},
        {u"missing", -1},
        {u"C:", -2},
        {u"C:\\", -2},
        {u"d:", -2},
        {u"Q:", -1},
        {u"Q:\\", -1},
        {u"C:\\Docs\\n?tes.*", 5},
        {u"C:\\Do*", -2},
        {u"C:\\Docs\\*.pdf", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FileSizeProbe(c.path), c.expected) << "path: " << Show(c.path);
}

TEST_F(TextPaths, FileSizeProbeReadsShareRootsByTheirAttributes) {
    standin::AddDirectory(u"\\\\server\\share");
    standin::AddFile(u"\\\\server\\share\\a.txt", "abc");
    standin::AddFile(u"\\\\server\\loose.txt", "xy");
    // The directory search cannot see a share root, so only the attribute
    // fallback can answer for it.
    ASSERT_FALSE(platform::FindFirstEntry(u"\\\\server\\share").found);

    struct Case {
        const char16_t* path;
        int64_t expected;
    };
    static const Case cases[] = {
        {u"\\\\server\\share", -2},
        {u"\\\\server\\share\\\\", -2},
        {u"\\\\server\\share\\a.txt", 3},
        {u"\\\\server\\loose.txt", -1}, // a file there has no size to give
        {u"\\\\server\\gone", -1},
        {u"\\\\", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FileSizeProbe(c.path), c.expected) << "path: " << Show(c.path);
}

TEST_F(TextPaths, FileSizeProbeLooksAtTheFirst260CodeUnitsOnly) {
    // 3 + 257 = 260 units: a file whose path fills the limit exactly.
    const Text longFile = u"C:\\" + Text(257, u'a');
    standin::AddFile(longFile, "1234");
    EXPECT_EQ(FileSizeProbe(longFile), 4);
    EXPECT_EQ(FileSizeProbe(longFile + u"\\beyond.txt"), 4);
    EXPECT_EQ(FileSizeProbe(longFile + u"b"), 4);

    // A cut that ends in a backslash loses it like any other trailing one.
    const Text longFolder = u"C:\\" + Text(256, u'f');
    standin::AddDirectory(longFolder);
    EXPECT_EQ(FileSizeProbe(longFolder + u"\\inside.txt"), -2);
}

} // namespace
