// What the form's tiles drag out and what a drop on them changes. All five
// tiles share these two procedures and are told apart by their numbers.
#pragma once

#include <cstdint>

#include "shell/platform.h"

Text ProvideTileText(int32_t tile);
void ReceiveTileDrop(int32_t tile, TextView text);
