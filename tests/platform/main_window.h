// The one main window the platform tests share: the Win32 layer keeps one
// per process, as the program does.
#pragma once

#include <windows.h>

#include "shell/platform.h"

inline HWND MainWindow() {
    static HWND window = [] {
        platform::Prepare();
        return reinterpret_cast<HWND>(platform::OpenWindow(
            1, 0, 0, 400, 300, u"vellisk",
            WindowOptionSystemMenu | WindowOptionScreenCentered | WindowOptionMinimizeButton));
    }();
    return window;
}

// Handles the window messages that are waiting, as the event loop would.
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
