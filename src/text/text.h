// Text, path, clipboard and file-probe primitives. Every command of the form
// is written in these. Texts are 16-bit code units; every length, position and
// count is in code units.
#pragma once

#include <cstdint>
#include <string>

#include "shell/platform.h"

size_t TextLength(TextView text);
bool TextEquals(TextView a, TextView b);
// Removes spaces (U+0020 only) at both ends.
Text TrimSpaces(TextView text);
// Through the platform's mapping; the result has the argument's length.
Text LowerCase(TextView text);
// The last n code units; a negative n gives the empty text.
Text RightPart(TextView text, int64_t n);
Text DecimalText(int64_t value);
// Non-overlapping occurrences, scanning left to right; letter case matters.
int64_t CountOccurrences(TextView text, TextView find);
// Field number index (from 1) of the text cut at every occurrence of the
// separator; out-of-range indexes give the empty text.
Text NthField(TextView text, int64_t index, TextView separator);
// Replaces find (ignoring letter case) by the replacement, pass after pass,
// until no occurrence is left. The caller guarantees the passes end.
Text ReplaceAll(TextView text, TextView find, TextView replacement);
Text WithTrailingBackslash(TextView path);
Text FolderPart(TextView path);
Text FilePart(TextView path);
// Size in bytes of the file at the path, -1 when nothing is there, -2 for a
// directory or a drive root.
int64_t FileSizeProbe(TextView path);
Text ReadClipboardText();
void WriteClipboardText(TextView text);

// UTF-8 of the text; an unpaired surrogate is written as U+FFFD.
std::string EncodeUtf8(TextView text);
