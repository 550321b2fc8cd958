// The main window's settings, the event loop with its hooks, and the end of
// the program.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/platform.h"

using Procedure = void (*)();
using EventHookList = std::vector<Procedure>;

struct WindowSettingsRecord {
    intptr_t WindowHandle = 0; // 0 while no window is open
    int32_t WindowNumber = 0;
    Text Title;
    uint32_t WindowFlags = 0;
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t QuitFlag = 0;
    int32_t EventKind = 0;
    Procedure OnEachEvent = nullptr; // run without a test: must be set before the loop
    Procedure OnOpen = nullptr;
    Procedure OnClose = nullptr;
    Procedure OnExit = nullptr;
    int32_t EventGadget = 0;
    int32_t EventType = 0;
    int32_t EventDropKind = 0;
    EventHookList EventHooks;
};

extern WindowSettingsRecord WindowSettings;

int OpenMainWindow(TextView title);
int AddEventHook(Procedure hook);
[[noreturn]] void RunEventLoop();
[[noreturn]] void EndProgram();
