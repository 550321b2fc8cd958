// The large clipboards of the Wine benchmark: one generated piece of
// clipboard-like text, repeated. The driver repeats it into the clipboard
// (so that megabytes never cross the driver's pipe), editor_cost.exe
// repeats it into its editor, and start_bench computes from it what the
// clean-up buttons must leave.
#pragma once

#include <cstddef>

#include "shell/platform.h"

inline constexpr size_t LargePieceUnits = 16384;

// The piece: generated text whose ends are made so that trimming the
// repeated text changes nothing and no surrogate pair is cut between two
// copies.
Text LargeTextPiece();

// `count` copies of the piece.
Text RepeatedPiece(size_t count);
