#include "app/form.h"

#include "app/about.h"
#include "app/cleanup.h"
#include "app/cmdline.h"
#include "app/derive.h"
#include "app/handlers.h"
#include "app/save.h"
#include "text/text.h"
#include "toolkit/gadgets.h"
#include "toolkit/placement.h"
#include "toolkit/tiles.h"

int32_t ObjectLabel, ObjectField, ObjectButton, ObjectTile;
int32_t PathLabel, PathField, PathButton, PathTile;
int32_t FileNameLabel, FileNameField, FileNameButton, FileNameTile;
int32_t SaveFileLabel, SaveFileField, SaveFileButton, SaveFileTile;
int32_t Editor, ColumnWrapButton, CompressSpacesButton, ClipTile;
int32_t AboutButton, CloseButton, SaveButton, SaveAndCloseButton;

namespace {

constexpr int32_t RightOf = 1;
constexpr int32_t Below = 2;
constexpr double Gap = 5.0;
constexpr double KeepSize = -1.0;
constexpr double AnchorSize = 1.0;

// Made at the top-left corner first, then moved beside its anchor.
int32_t PlacedGadget(int32_t kind, int32_t width, int32_t height, GadgetAction action, TextView caption,
                     int32_t anchor, int32_t side, double factor = KeepSize) {
    int32_t gadget = MakeGadget(kind, 5, 5, width, height, action, caption, 0);
    PlaceRelative(anchor, gadget, side, Gap, Gap, factor, factor);
    return gadget;
}

// The tile at the end of a field row: beside the row's button, as high as it.
int32_t RowTile(int32_t button) { return MakeTile(button, ProvideTileText, ReceiveTileDrop, u"D", 5, 0, 22, 0); }

// Text first, files second: when dragged data offers both, the file list wins.
void AcceptDropsOnLastTile() {
    EnableTileDrop(-1, DropFormatText, DropActionCopy);
    EnableTileDrop(-1, DropFormatFiles, DropActionCopy);
}

} // namespace

void BuildMainForm() {
    // Gadget actions first, so every event reaches them before the tiles.
    RegisterGadgetActions();
    RegisterTileEvents();

    ObjectLabel = MakeGadget(LabelKind, 5, 5, 80, 22, nullptr, u"Object", 0);
    ObjectField = PlacedGadget(TextFieldKind, 230, 22, nullptr, u"", ObjectLabel, RightOf);
    ObjectButton = PlacedGadget(ButtonKind, 34, 22, FillFromObject, u"=", ObjectField, RightOf);
    ObjectTile = RowTile(ObjectButton);
    AcceptDropsOnLastTile();

    // The lower row labels are made narrow and take the width of the one above.
    PathLabel = PlacedGadget(LabelKind, 5, 22, nullptr, u"Path", ObjectLabel, Below, AnchorSize);
    PathField = PlacedGadget(TextFieldKind, 230, 22, nullptr, u"", PathLabel, RightOf);
    PathButton = PlacedGadget(ButtonKind, 34, 22, DerivePath, u"<--", PathField, RightOf);
    PathTile = RowTile(PathButton);
    AcceptDropsOnLastTile();

    FileNameLabel = PlacedGadget(LabelKind, 5, 22, nullptr, u"FileName", PathLabel, Below, AnchorSize);
    FileNameField = PlacedGadget(TextFieldKind, 230, 22, nullptr, u"", FileNameLabel, RightOf);
    FileNameButton = PlacedGadget(ButtonKind, 34, 22, DeriveFileName, u"<--", FileNameField, RightOf);
    FileNameTile = RowTile(FileNameButton);
    AcceptDropsOnLastTile();

    // SaveFileField is a label: the target name is derived, never typed.
    SaveFileLabel = PlacedGadget(LabelKind, 5, 22, nullptr, u"SaveFile", FileNameLabel, Below, AnchorSize);
    SaveFileField = PlacedGadget(LabelKind, 230, 22, nullptr, u"", SaveFileLabel, RightOf);
    SaveFileButton = PlacedGadget(ButtonKind, 34, 22, DeriveSaveFile, u"<--", SaveFileField, RightOf);
    SaveFileTile = RowTile(SaveFileButton); // a drag source only

    Editor = platform::CreateEditor(5, 5, 315, 150);
    RegisterGadget(Editor);
    PlaceRelative(SaveFileLabel, Editor, Below, Gap, Gap, KeepSize, KeepSize);

    ColumnWrapButton = PlacedGadget(ButtonKind, 63, 40, ColumnWrap, u"Column wrap", Editor, RightOf);
    CompressSpacesButton = PlacedGadget(ButtonKind, 63, 40, CompressSpaces, u"Compress spaces", ColumnWrapButton, Below);
    // Back under the button column: dx cancels the anchor's width.
    ClipTile = MakeTile(CompressSpacesButton, ProvideTileText, ReceiveTileDrop, u"Clip", -63, 45, 45, 22);
    AcceptDropsOnLastTile();

    AboutButton = PlacedGadget(ButtonKind, 80, 22, ShowAbout, u"About", Editor, Below);
    CloseButton = PlacedGadget(ButtonKind, 80, 22, CloseProgram, u"Close", AboutButton, RightOf);
    SaveButton = PlacedGadget(ButtonKind, 80, 22, SaveText, u"Save", CloseButton, RightOf);
    SaveAndCloseButton = PlacedGadget(ButtonKind, 120, 22, SaveAndClose, u"Save and Close", SaveButton, RightOf);

    FillInitialContent();
}

int FillInitialContent() {
    Text object = TrimSpaces(ObjectArgument());
    Text clip = TrimSpaces(ReadClipboardText());
    if (!TextEquals(object + clip, u"")) {
        platform::SetGadgetText(ObjectField, object);
        platform::SetGadgetText(PathField, FolderPart(object));
        Text name = TrimSpaces(FilePart(object));
        if (!TextEquals(name, u"")) platform::SetGadgetText(FileNameField, name);
        platform::SetGadgetText(Editor, clip);
    }
    // Whatever was found, the target name shows once the form is up.
    DeriveSaveFile(0);
    return 0;
}
