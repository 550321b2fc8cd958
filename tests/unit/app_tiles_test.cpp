#include <gtest/gtest.h>

#include "app/form.h"
#include "app/handlers.h"
#include "app_fixture.h"
#include "toolkit/tiles.h"

using TileHandlerTest = FormTest;

TEST_F(TileHandlerTest, EachTileDragsOutItsRowsValueOrTheClipboard) {
    platform::SetGadgetText(ObjectField, u"  C:\\a b\\c.doc  ");
    platform::SetGadgetText(PathField, u"\tC:\\a b\\ ");
    platform::SetGadgetText(FileNameField, u"   ");
    platform::SetGadgetText(SaveFileField, u" c.doc.txt ");
    standin::Get().clipboard = Text(u"  clip\r\n ");
    EXPECT_EQ(ProvideTileText(ObjectTile), u"C:\\a b\\c.doc");
    EXPECT_EQ(ProvideTileText(PathTile), u"\tC:\\a b\\"); // only spaces are trimmed
    EXPECT_EQ(ProvideTileText(FileNameTile), u"");
    EXPECT_EQ(ProvideTileText(SaveFileTile), u"c.doc.txt");
    EXPECT_EQ(ProvideTileText(ClipTile), u"  clip\r\n ");
    EXPECT_EQ(ProvideTileText(ObjectButton), u"");
    standin::Get().clipboard = std::nullopt;
    EXPECT_EQ(ProvideTileText(ClipTile), u"");
}

TEST_F(TileHandlerTest, DropsFillTheirFieldOrTheClipboardAndNothingElse) {
    struct Case {
        const char* what;
        const int32_t* tile;
        int32_t kind;
        const char16_t* dropped;
        const char16_t *object, *path, *fileName, *clipboard;
    };
    const char16_t* twoFiles = u"C:\\docs\\a.txt\nC:\\docs\\b.txt";
    const Case cases[] = {
        {"two files on the object", &ObjectTile, DropFormatFiles, twoFiles, u"C:\\docs\\a.txt", u"P", u"F", u"clip"},
        {"two files on the path", &PathTile, DropFormatFiles, twoFiles, u"O", u"C:\\docs\\", u"F", u"clip"},
        {"two files on the name", &FileNameTile, DropFormatFiles, twoFiles, u"O", u"P", u"a.txt", u"clip"},
        {"two files on the clip", &ClipTile, DropFormatFiles, twoFiles, u"O", u"P", u"F", u"C:\\docs\\a.txt"},
        {"a folder on the name", &FileNameTile, DropFormatFiles, u"C:\\docs", u"O", u"P", u"docs", u"clip"},
        {"a folder on the path", &PathTile, DropFormatFiles, u"C:\\docs", u"O", u"C:\\", u"F", u"clip"},
        {"a path as text on the path", &PathTile, DropFormatText, u"C:\\docs\\a.txt", u"O", u"C:\\docs\\", u"F", u"clip"},
        {"lines on the object", &ObjectTile, DropFormatText, u" l1\r\nl2 ", u" l1\r\nl2 ", u"P", u"F", u"clip"},
        {"lines on the clip", &ClipTile, DropFormatText, u"l1\nl2", u"O", u"P", u"F", u"l1\nl2"},
        {"an empty file list on the name", &FileNameTile, DropFormatFiles, u"", u"O", u"P", u"", u"clip"},
        {"an empty file list on the clip", &ClipTile, DropFormatFiles, u"", u"O", u"P", u"F", u""},
        {"anything on the save-file tile", &SaveFileTile, DropFormatFiles, twoFiles, u"O", u"P", u"F", u"clip"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform::SetGadgetText(ObjectField, u"O");
        platform::SetGadgetText(PathField, u"P");
        platform::SetGadgetText(FileNameField, u"F");
        platform::SetGadgetText(SaveFileField, u"S");
        platform::SetGadgetText(Editor, u"E");
        standin::Get().clipboard = Text(u"clip");
        LastDropKind = c.kind;
        ReceiveTileDrop(*c.tile, c.dropped);
        EXPECT_EQ(TextOf(ObjectField), Text(c.object));
        EXPECT_EQ(TextOf(PathField), Text(c.path));
        EXPECT_EQ(TextOf(FileNameField), Text(c.fileName));
        EXPECT_EQ(standin::Get().clipboard, Text(c.clipboard));
        // No derivation follows a drop, and the editor is left alone.
        EXPECT_EQ(TextOf(SaveFileField), u"S");
        EXPECT_EQ(TextOf(Editor), u"E");
    }
}
