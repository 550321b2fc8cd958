#include "app/handlers.h"

#include "app/form.h"
#include "text/text.h"
#include "toolkit/tiles.h"

Text ProvideTileText(int32_t tile) {
    if (tile == ObjectTile) return TrimSpaces(platform::GadgetText(ObjectField));
    if (tile == PathTile) return TrimSpaces(platform::GadgetText(PathField));
    if (tile == FileNameTile) return TrimSpaces(platform::GadgetText(FileNameField));
    if (tile == SaveFileTile) return TrimSpaces(platform::GadgetText(SaveFileField));
    // The clipboard goes out as it is, ends included.
    if (tile == ClipTile) return ReadClipboardText();
    return Text();
}

void ReceiveTileDrop(int32_t tile, TextView text) {
    Text value(text);
    // A file list gives its first path; the appended LFs make sure there is a
    // separator to cut at.
    if (LastDropKind == DropFormatFiles) value = NthField(value + u"\n\n", 1, u"\n");
    // No derivation follows: the user asks for it with the row's button.
    if (tile == ObjectTile) {
        platform::SetGadgetText(ObjectField, value);
    } else if (tile == PathTile) {
        platform::SetGadgetText(PathField, FolderPart(value));
    } else if (tile == FileNameTile) {
        platform::SetGadgetText(FileNameField, FilePart(value));
    } else if (tile == ClipTile) {
        WriteClipboardText(value);
    }
}
