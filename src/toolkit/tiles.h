// Drag-and-drop tiles: small pictures that drag a provider's text out and
// hand dropped text or files to a receiver.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "shell/platform.h"

using TileProvider = Text (*)(int32_t tile);
using TileReceiver = void (*)(int32_t tile, TextView text);

struct TileEntry {
    int32_t tile = 0;
    int32_t image = 0;
    TileProvider provider = nullptr;
    TileReceiver receiver = nullptr;
};

// Keyed by the decimal text of the tile number.
using TileMapType = std::unordered_map<Text, TileEntry>;
extern TileMapType TileMap;
extern int32_t LastTile;     // -1 before the first tile, 0 after a failed one
extern int32_t LastDropKind; // kind of the drop being delivered

// Empties TileMap and sets LastTile to -1 and LastDropKind to 0, as at start-up.
void ResetTileRegistry();

int32_t MakeTile(int32_t anchor, TileProvider provider, TileReceiver receiver, TextView caption, int32_t dx,
                 int32_t dy, int32_t width, int32_t height);
int32_t CreateTile(int32_t x, int32_t y, int32_t width, int32_t height, TileProvider provider,
                   TileReceiver receiver, TextView caption);
void EnableTileDrop(int32_t tile, int32_t format, int32_t actions);
void DispatchTileEvents();
void RegisterTileEvents();
