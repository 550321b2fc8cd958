// The program's command line, cut into arguments by our own rules: spaces
// separate, double quotes group, nothing escapes.
#pragma once

#include <vector>

#include "shell/platform.h"

// Every argument of the line, the program's own path first.
std::vector<Text> SplitCommandLine(TextView line);
// The first argument after the program's path, or the empty text.
Text ObjectArgument();
