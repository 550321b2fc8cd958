#include "toolkit/tiles.h"

#include <vector>

#include "shell/window.h"
#include "text/text.h"

TileMapType TileMap;
int32_t LastTile = -1;
int32_t LastDropKind = 0;

void ResetTileRegistry() {
    TileMap.clear();
    LastTile = -1;
    LastDropKind = 0;
}

int32_t MakeTile(int32_t anchor, TileProvider provider, TileReceiver receiver, TextView caption, int32_t dx,
                 int32_t dy, int32_t width, int32_t height) {
    if (anchor == 0 || !platform::GadgetExists(anchor)) return 0;
    const platform::Geometry a = platform::GadgetGeometry(anchor);
    const int32_t x = a.x + a.width + dx;
    const int32_t y = a.y + dy;
    // Beside a gadget of ordinary height the tile matches it; beside an odd
    // one it takes the standard height.
    if (height == 0) height = (a.height >= 20 && a.height <= 44) ? a.height : 22;
    return CreateTile(x, y, width, height, provider, receiver, caption);
}

int32_t CreateTile(int32_t x, int32_t y, int32_t width, int32_t height, TileProvider provider,
                   TileReceiver receiver, TextView caption) {
    if (width == 0) width = 40;
    if (height == 0) height = 22;

    int32_t tile = 0;
    const int32_t image = platform::CreateImage(width, height);
    if (image != 0 && platform::StartDrawing(image)) {
        platform::SetTransparentTextBackground();
        platform::DrawTextAt(5, 3, caption.empty() ? TextView(u"Drag") : caption, 196, 200, 196);
        platform::StopDrawing();
        tile = platform::CreateImageGadget(x, y, width, height, image);
        if (tile != 0) platform::SetToolTip(tile, u"Drag&Drop");
    }

    // Also a failed tile is stored, under "0"; the dispatcher never acts on
    // it. Its image, if one was made, stays with the entry until the end.
    TileMap[DecimalText(tile)] = TileEntry{tile, image, provider, receiver};
    LastTile = tile;
    return tile;
}

void EnableTileDrop(int32_t tile, int32_t format, int32_t actions) {
    if (tile == -1) tile = LastTile;
    // -1: no tile made yet; 0: the last one failed and has no gadget.
    if (tile == -1 || tile == 0) return;
    platform::EnableDrop(tile, format, actions);
}

namespace {

// The entries a tile event addresses. Collected before any provider or
// receiver runs, so one that makes tiles cannot rehash the map under the walk.
// A failed tile's entry has tile 0, the gadget of events that carry none: it
// must never match.
std::vector<TileEntry> EntriesOf(int32_t gadget) {
    std::vector<TileEntry> found;
    for (const auto& [key, entry] : TileMap) {
        if (entry.tile != 0 && entry.tile == gadget) found.push_back(entry);
    }
    return found;
}

void DeliverDrop(int32_t gadget, int32_t kind, Text (*fetch)()) {
    for (const TileEntry& entry : EntriesOf(gadget)) {
        if (entry.receiver == nullptr) continue;
        Text text = fetch();
        LastDropKind = kind;
        entry.receiver(entry.tile, text);
    }
}

} // namespace

void DispatchTileEvents() {
    const int32_t gadget = WindowSettings.EventGadget;
    const int32_t type = WindowSettings.EventType;
    const int32_t dropKind = WindowSettings.EventDropKind;

    if (type == DragStartEventType) {
        for (const TileEntry& entry : EntriesOf(gadget)) {
            if (entry.provider == nullptr) continue;
            Text text = entry.provider(entry.tile);
            // The drag is modal; what it achieved is of no interest here.
            if (!text.empty()) platform::DragText(text, DropActionCopy);
        }
    }
    if (dropKind == DropFormatText) DeliverDrop(gadget, DropFormatText, platform::DroppedText);
    if (dropKind == DropFormatFiles) DeliverDrop(gadget, DropFormatFiles, platform::DroppedFiles);
}

void RegisterTileEvents() { AddEventHook(DispatchTileEvents); }
