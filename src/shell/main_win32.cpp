// The Win32 entry point: everything else starts in StartProgram.
#include <windows.h>

#include "shell/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { StartProgram(); }
