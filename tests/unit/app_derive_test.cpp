#include <gtest/gtest.h>

#include "app/derive.h"
#include "app/form.h"
#include "app_fixture.h"

using DeriveTest = FormTest;

TEST_F(DeriveTest, EqualsDerivesFolderNameAndTargetFromTheObject) {
    struct Case {
        const char16_t *object, *path, *fileName, *saveFile;
    };
    const Case cases[] = {
        {u"C:\\Users\\ann\\Documents\\Annual Report.docx", u"C:\\Users\\ann\\Documents\\", u"Annual Report.docx",
         u"annual_report.docx.txt"},
        {u"C:\\Users\\ann\\Documents\\", u"C:\\Users\\ann\\Documents\\", u"", u"_read_me.txt"},
        {u"C:\\Users\\ann\\Documents", u"C:\\Users\\ann\\", u"Documents", u"documents.txt"},
        {u"\"C:\\Program Files\\tool\\notes.txt\"", u"C:\\Program Files\\tool\\", u"notes.txt", u"notes.txt"},
        {u"C:/data/list.csv", u"C:/data/", u"list.csv", u"list.csv.txt"},
        {u"D:readme.md", u"", u"D:readme.md", u"d:readme.md.txt"},
        {u"", u"", u"", u"_read_me.txt"},
        {u"   C:\\a\\b c.txt  ", u"C:\\a\\", u"b c.txt", u"b_c.txt"},
        // Trimmed again after the cut: spaces at the cut go too.
        {u"C:\\a \\ b.doc", u"C:\\a \\", u"b.doc", u"b.doc.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(c.object)));
        platform::SetGadgetText(ObjectField, c.object);
        platform::SetGadgetText(PathField, u"hand-typed folder");
        platform::SetGadgetText(FileNameField, u"hand-typed name");
        FillFromObject(ObjectButton);
        EXPECT_EQ(TextOf(ObjectField), Text(c.object));
        EXPECT_EQ(TextOf(PathField), Text(c.path));
        EXPECT_EQ(TextOf(FileNameField), Text(c.fileName));
        EXPECT_EQ(TextOf(SaveFileField), Text(c.saveFile));
    }
}

TEST_F(DeriveTest, TargetNameIsCleanedLowerCaseAndEndsInTxt) {
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"Annual Report.docx", u"annual_report.docx.txt"},
        {u"··My··Notes.TXT·", u"my_notes.txt"},
        {u"Budget·(final).xlsx", u"budget_(final).xlsx.txt"},
        {u"name→with→tabs.doc", u"name_with_tabs.doc.txt"},
        {u"a·→·b", u"a_b.txt"},
        {u"a↵b", u"a_b.txt"},
        {u"ПЛАН·РАБОТ.doc", u"план_работ.doc.txt"},
        {u"plan.txt", u"plan.txt"},
        {u"x.TXT", u"x.txt"},
        {u".txt", u".txt"},
        {u"···", u"_read_me.txt"},
        {u"", u"_read_me.txt"},
        // Whitespace other than spaces survives the trims and ends as underscores.
        {u"→", u"_.txt"},
        {u"↵notes·", u"_notes.txt"},
        {u"report.text", u"report.text.txt"},
        {u"plan.Txt···", u"plan.txt"},
        {u"a:b*?.c", u"a:b*?.c.txt"},
    };
    for (const auto& [fileName, saveFile] : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(fileName)));
        platform::SetGadgetText(FileNameField, Notation(fileName));
        DeriveSaveFile(SaveFileButton);
        EXPECT_EQ(TextOf(SaveFileField), Text(saveFile));
        EXPECT_EQ(TextOf(FileNameField), Notation(fileName));
    }
}

TEST_F(DeriveTest, EachArrowDerivesOnlyItsOwnField) {
    platform::SetGadgetText(ObjectField, u"C:\\docs\\a.txt");
    platform::SetGadgetText(PathField, u"P");
    platform::SetGadgetText(FileNameField, u"Edited Name");
    platform::SetGadgetText(SaveFileField, u"S");

    DeriveSaveFile(SaveFileButton);
    EXPECT_EQ(TextOf(SaveFileField), u"edited_name.txt");
    EXPECT_EQ(TextOf(PathField), u"P");
    EXPECT_EQ(TextOf(ObjectField), u"C:\\docs\\a.txt");

    DerivePath(PathButton);
    EXPECT_EQ(TextOf(PathField), u"C:\\docs\\");
    EXPECT_EQ(TextOf(FileNameField), u"Edited Name");

    DeriveFileName(FileNameButton);
    EXPECT_EQ(TextOf(FileNameField), u"a.txt");
    EXPECT_EQ(TextOf(SaveFileField), u"edited_name.txt");
}
