// Deriving the target folder, the file name and the name of the text file to
// write from the object path. Each is a button action: the argument is the
// button's number and is ignored; the result is always 0.
#pragma once

#include <cstdint>

int FillFromObject(int32_t gadget);
int DerivePath(int32_t gadget);
int DeriveFileName(int32_t gadget);
int DeriveSaveFile(int32_t gadget);
