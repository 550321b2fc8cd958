#include <gtest/gtest.h>

#include "app/about.h"
#include "app/cleanup.h"
#include "app/derive.h"
#include "app/form.h"
#include "app/handlers.h"
#include "app/save.h"
#include "app_fixture.h"
#include "shell/window.h"
#include "text/text.h"
#include "toolkit/gadgets.h"
#include "toolkit/tiles.h"

namespace {

using standin::GadgetKind;

struct FormRow {
    const char* name;
    const int32_t* gadget;
    GadgetKind kind;
    const char16_t* caption; // for tiles: the text drawn on the picture
    int32_t x, y, width, height;
};

// In the order the gadgets are made.
const FormRow FormRows[] = {
    {"ObjectLabel", &ObjectLabel, GadgetKind::Label, u"Object", 5, 5, 80, 22},
    {"ObjectField", &ObjectField, GadgetKind::TextField, u"", 90, 5, 230, 22},
    {"ObjectButton", &ObjectButton, GadgetKind::Button, u"=", 325, 5, 34, 22},
    {"ObjectTile", &ObjectTile, GadgetKind::Image, u"D", 364, 5, 22, 22},
    {"PathLabel", &PathLabel, GadgetKind::Label, u"Path", 5, 32, 80, 22},
    {"PathField", &PathField, GadgetKind::TextField, u"", 90, 32, 230, 22},
    {"PathButton", &PathButton, GadgetKind::Button, u"<--", 325, 32, 34, 22},
    {"PathTile", &PathTile, GadgetKind::Image, u"D", 364, 32, 22, 22},
    {"FileNameLabel", &FileNameLabel, GadgetKind::Label, u"FileName", 5, 59, 80, 22},
    {"FileNameField", &FileNameField, GadgetKind::TextField, u"", 90, 59, 230, 22},
    {"FileNameButton", &FileNameButton, GadgetKind::Button, u"<--", 325, 59, 34, 22},
    {"FileNameTile", &FileNameTile, GadgetKind::Image, u"D", 364, 59, 22, 22},
    {"SaveFileLabel", &SaveFileLabel, GadgetKind::Label, u"SaveFile", 5, 86, 80, 22},
    {"SaveFileField", &SaveFileField, GadgetKind::Label, u"_read_me.txt", 90, 86, 230, 22},
    {"SaveFileButton", &SaveFileButton, GadgetKind::Button, u"<--", 325, 86, 34, 22},
    {"SaveFileTile", &SaveFileTile, GadgetKind::Image, u"D", 364, 86, 22, 22},
    {"Editor", &Editor, GadgetKind::Editor, u"", 5, 113, 315, 150},
    {"ColumnWrapButton", &ColumnWrapButton, GadgetKind::Button, u"Column wrap", 325, 113, 63, 40},
    {"CompressSpacesButton", &CompressSpacesButton, GadgetKind::Button, u"Compress spaces", 325, 158, 63, 40},
    {"ClipTile", &ClipTile, GadgetKind::Image, u"Clip", 325, 203, 45, 22},
    {"AboutButton", &AboutButton, GadgetKind::Button, u"About", 5, 268, 80, 22},
    {"CloseButton", &CloseButton, GadgetKind::Button, u"Close", 90, 268, 80, 22},
    {"SaveButton", &SaveButton, GadgetKind::Button, u"Save", 175, 268, 80, 22},
    {"SaveAndCloseButton", &SaveAndCloseButton, GadgetKind::Button, u"Save and Close", 260, 268, 120, 22},
};

uint32_t DefaultFlags(GadgetKind kind) {
    switch (kind) {
    case GadgetKind::Label: return LabelFlagCenter | LabelFlagBorder;
    case GadgetKind::Button: return ButtonFlagMultiLine;
    default: return 0;
    }
}

} // namespace

TEST_F(FormTest, GadgetsStandWhereTheLayoutPutsThem) {
    EXPECT_EQ(standin::Get().gadgets.size(), 24u);
    int32_t previous = 0;
    for (const FormRow& row : FormRows) {
        SCOPED_TRACE(row.name);
        int32_t number = *row.gadget;
        ASSERT_TRUE(platform::GadgetExists(number));
        // Numbers grow in the order of making, which is also the Tab order.
        EXPECT_GT(number, previous);
        previous = number;
        const standin::GadgetRecord& g = standin::Gadget(number);
        EXPECT_EQ(g.kind, row.kind);
        EXPECT_EQ(g.geometry.x, row.x);
        EXPECT_EQ(g.geometry.y, row.y);
        EXPECT_EQ(g.geometry.width, row.width);
        EXPECT_EQ(g.geometry.height, row.height);
        EXPECT_EQ(g.flags, DefaultFlags(row.kind)); // the form passes 0 and gets each kind's default look
        if (row.kind == GadgetKind::Image) {
            const standin::ImageRecord& image = standin::Get().images.at(g.image);
            ASSERT_EQ(image.drawn.size(), 1u);
            EXPECT_EQ(image.drawn[0].text, Text(row.caption));
        } else {
            EXPECT_EQ(g.text, Text(row.caption));
        }
    }
}

TEST_F(FormTest, FourTilesTakeTextThenFilesAndTheSaveFileTileTakesNothing) {
    for (const int32_t* tile : {&ObjectTile, &PathTile, &FileNameTile, &ClipTile}) {
        const standin::GadgetRecord& g = standin::Gadget(*tile);
        EXPECT_EQ(g.dropOrder, (std::vector<int32_t>{DropFormatText, DropFormatFiles}));
        EXPECT_EQ(g.dropFormats, (std::map<int32_t, int32_t>{{DropFormatText, DropActionCopy}, {DropFormatFiles, DropActionCopy}}));
    }
    EXPECT_TRUE(standin::Gadget(SaveFileTile).dropFormats.empty());
    EXPECT_EQ(TileMap.size(), 5u);
    for (const auto& [key, entry] : TileMap) {
        EXPECT_EQ(key, DecimalText(entry.tile));
        EXPECT_EQ(entry.provider, &ProvideTileText);
        EXPECT_EQ(entry.receiver, &ReceiveTileDrop);
    }
}

TEST_F(FormTest, ButtonsCarryTheirCommandsAndNothingElseActs) {
    const std::pair<const int32_t*, GadgetAction> actions[] = {
        {&ObjectButton, FillFromObject}, {&PathButton, DerivePath},
        {&FileNameButton, DeriveFileName}, {&SaveFileButton, DeriveSaveFile},
        {&ColumnWrapButton, ColumnWrap}, {&CompressSpacesButton, CompressSpaces},
        {&AboutButton, ShowAbout}, {&CloseButton, CloseProgram},
        {&SaveButton, SaveText}, {&SaveAndCloseButton, SaveAndClose},
    };
    // 4 labels, 3 fields, the SaveFileField label, 10 buttons and the editor.
    EXPECT_EQ(GadgetActionMap.size(), 19u);
    for (const auto& [gadget, action] : actions) {
        ASSERT_EQ(GadgetActionMap.count(DecimalText(*gadget)), 1u);
        EXPECT_EQ(GadgetActionMap[DecimalText(*gadget)].action, action);
    }
    for (int32_t silent : {ObjectLabel, PathLabel, FileNameLabel, SaveFileLabel, ObjectField, PathField,
                           FileNameField, SaveFileField, Editor}) {
        ASSERT_EQ(GadgetActionMap.count(DecimalText(silent)), 1u);
        EXPECT_EQ(GadgetActionMap[DecimalText(silent)].action, nullptr);
    }
    for (int32_t tile : {ObjectTile, PathTile, FileNameTile, SaveFileTile, ClipTile})
        EXPECT_EQ(GadgetActionMap.count(DecimalText(tile)), 0u);
    // Two hooks, the tiles' second.
    ASSERT_EQ(WindowSettings.EventHooks.size(), 2u);
    EXPECT_EQ(WindowSettings.EventHooks[1], &DispatchTileEvents);
}

TEST_F(FormTest, EventsReachTheCommandsThroughTheLoop) {
    platform::SetGadgetText(ObjectField, u"C:\\Docs\\Annual Report.docx");
    standin::QueueClick(ObjectButton);
    standin::Get().droppedFiles = u"D:\\in\\b.txt\nD:\\in\\c.txt";
    standin::QueueEvent(GadgetDropEvent, PathTile, 0, DropFormatFiles);
    standin::QueueEvent(GadgetEvent, SaveFileTile, DragStartEventType);
    WindowSettings.OnEachEvent = DoNothingOnEachEvent;
    EXPECT_THROW(RunEventLoop(), standin::NoMoreEvents);
    EXPECT_EQ(TextOf(FileNameField), u"Annual Report.docx");
    EXPECT_EQ(TextOf(PathField), u"D:\\in\\");
    EXPECT_EQ(standin::Get().drags, std::vector<Text>{u"annual_report.docx.txt"});
}

TEST(InitialContent, ComesFromTheArgumentAndTheClipboard) {
    struct Case {
        const char16_t* commandLine;
        std::optional<Text> clipboard;
        const char16_t *object, *path, *fileName, *editor, *saveFile;
    };
    const Case cases[] = {
        {u"vellisk.exe", std::nullopt, u"", u"", u"", u"", u"_read_me.txt"},
        {u"vellisk.exe \"C:\\Docs\\My Report.docx\"", std::nullopt,
         u"C:\\Docs\\My Report.docx", u"C:\\Docs\\", u"My Report.docx", u"", u"my_report.docx.txt"},
        {u"vellisk.exe C:\\Docs\\My Report.docx", std::nullopt, u"C:\\Docs\\My", u"C:\\Docs\\", u"My", u"", u"my.txt"},
        {u"vellisk.exe C:\\Docs\\", std::nullopt, u"C:\\Docs\\", u"C:\\Docs\\", u"", u"", u"_read_me.txt"},
        {u"vellisk.exe", Text(u"some text"), u"", u"", u"", u"some text", u"_read_me.txt"},
        // Only spaces are trimmed: the line break keeps the trailing spaces.
        {u"vellisk.exe", Text(u"  text  \r\n"), u"", u"", u"", u"text  \r\n", u"_read_me.txt"},
        {u"vellisk.exe", Text(u"\ttabbed   "), u"", u"", u"", u"\ttabbed", u"_read_me.txt"},
        {u"vellisk.exe", Text(u"    "), u"", u"", u"", u"", u"_read_me.txt"},
        // A clipboard holding only an image offers no text.
        {u"vellisk.exe D:\\a.doc", std::nullopt, u"D:\\a.doc", u"D:\\", u"a.doc", u"", u"a.doc.txt"},
        {u"vellisk.exe \"   \"", std::nullopt, u"", u"", u"", u"", u"_read_me.txt"},
        // The argument is trimmed, the folder taken from it is not trimmed again,
        // the file name is.
        {u"\"C:\\Program Files\\v.exe\" \"  C:\\ d \\  x.txt  \"", Text(u"clip"),
         u"C:\\ d \\  x.txt", u"C:\\ d \\", u"x.txt", u"clip", u"x.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(Text(c.commandLine)) + " / " + ::testing::PrintToString(c.clipboard));
        StartForm(c.commandLine, c.clipboard);
        EXPECT_EQ(TextOf(ObjectField), Text(c.object));
        EXPECT_EQ(TextOf(PathField), Text(c.path));
        EXPECT_EQ(TextOf(FileNameField), Text(c.fileName));
        EXPECT_EQ(TextOf(Editor), Text(c.editor));
        EXPECT_EQ(TextOf(SaveFileField), Text(c.saveFile));
        EXPECT_EQ(standin::Get().clipboard, c.clipboard); // read, never changed
        EXPECT_TRUE(standin::Get().messages.empty());
    }
}
