// The program's entry: prepares the platform, fills the identity strings and
// the window settings, opens the window and runs the event loop.
#pragma once

[[noreturn]] void StartProgram();

// Start-up up to and including the opening of the main window; StartProgram
// then sets OnEachEvent and runs the loop. Split out so it can be tested.
void PrepareProgram();
void DoNothingOnEachEvent();
