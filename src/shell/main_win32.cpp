// The Win32 entry point: everything else starts in StartProgram.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "shell/startup.h"

// The library's default terminate handler prints a demangled type name to a
// console this windowed program does not have, and drags the whole demangler
// into the executable; ending at once does what is needed in a fraction of
// the size.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { StartProgram(); }
