// The text rules written out the slow, literal way, so that the benchmark
// times only code that gives their results on its own inputs.
#pragma once

#include <string>

#include "shell/platform.h"

namespace reference {

// Lower-cases the whole text and scans it again for every pass.
Text ReplaceAll(Text text, const Text& find, const Text& replacement);
int64_t CountOccurrences(const Text& text, const Text& find);
Text CompressSpaces(Text text);
Text ColumnWrap(Text text);
std::string EncodeUtf8(const Text& text);

} // namespace reference
