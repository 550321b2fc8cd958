// The program's identity: name, version and the texts of the About box.
#pragma once

#include "shell/platform.h"

struct IdentityStringsRecord {
    Text ProgramName;
    Text ProgramVersion;
    Text MakerNotice;     // begins with a space: it follows the version directly
    Text MakerWebAddress;
    Text AboutHeader;     // empty until ComposeAboutHeader first runs
    Text AboutText;
    Text AdvertText;
};

extern IdentityStringsRecord IdentityStrings;

// Fills every field but AboutHeader, piece by piece, in start-up's order.
void FillIdentityStrings();
int ComposeAboutHeader();
