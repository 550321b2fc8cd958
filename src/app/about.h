// The About box.
#pragma once

#include <cstdint>

#include "shell/platform.h"

// Button action: the program's identity and the maker's message.
int ShowAbout(int32_t gadget);
// The identity header, then the body after an empty line when there is one.
int ShowInfo(TextView body, TextView title);
