// The editor's clean-up commands: "Compress spaces" and "Column wrap", and the
// word and line lists "Column wrap" is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/platform.h"

// Longest wrapped line, its trailing space included.
constexpr size_t WrapWidth = 65;

// Button actions: read the editor's text once, write the result once.
int CompressSpaces(int32_t gadget);
int ColumnWrap(int32_t gadget);

// What the two commands do to a text, without the editor around them.
Text CompressedSpaces(TextView text);
Text ColumnWrapped(TextView text);

// The pieces between separators, empty ones included, as views into text;
// the text must outlive the list.
std::vector<TextView> SplitWords(TextView text, TextView separator);
// Packs the words, each followed by one space, into lines of at most width
// code units; a longer word stands on a line of its own.
std::vector<Text> WrapWords(const std::vector<TextView>& words, size_t width);
Text JoinLines(const std::vector<Text>& lines, TextView separator);
