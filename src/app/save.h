// Saving the editor's text as a UTF-8 file.
#pragma once

#include <cstdint>

#include "shell/platform.h"

// The outcome of the last write: "" when the file was written.
extern Text LastErrorText;

// Button actions; the argument is the button's number and is ignored.
int SaveText(int32_t gadget);
int SaveAndClose(int32_t gadget);
// The "Close" button: ends the program without saving.
[[noreturn]] int CloseProgram(int32_t gadget);

// Writes the editor's text to the path and shows an error box on failure.
int SaveToFile(TextView path);
// Writes content to path as UTF-8 without a byte-order mark; the outcome is
// left in LastErrorText.
int WriteTextFile(TextView path, TextView content);
