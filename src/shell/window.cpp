#include "shell/window.h"

WindowSettingsRecord WindowSettings;

int OpenMainWindow(TextView title) {
    auto& s = WindowSettings;
    if (!title.empty()) s.Title = Text(title);
    s.WindowHandle = platform::OpenWindow(s.WindowNumber, s.X, s.Y, s.Width, s.Height, s.Title, s.WindowFlags);
    if (s.WindowHandle != 0 && s.OnOpen) s.OnOpen();
    return 0;
}

int AddEventHook(Procedure hook) {
    WindowSettings.EventHooks.push_back(hook);
    return 0;
}

void RunEventLoop() {
    auto& s = WindowSettings;
    if (s.WindowHandle != 0) {
        do {
            platform::Event event = platform::WaitEvent();
            s.EventKind = event.kind;
            s.EventGadget = 0;
            s.EventType = 0;
            s.EventDropKind = 0;
            if (event.kind == GadgetEvent) {
                s.EventGadget = event.gadget;
                s.EventType = event.type;
            } else if (event.kind == GadgetDropEvent) {
                s.EventGadget = event.gadget;
                s.EventDropKind = event.dropKind;
            }
            s.OnEachEvent();
            // By index: a hook may add hooks, which then run in this turn too.
            for (size_t i = 0; i < s.EventHooks.size(); ++i) {
                if (s.EventHooks[i]) s.EventHooks[i]();
            }
            if (s.EventKind == CloseEvent) {
                s.QuitFlag = 1;
                if (s.OnClose) s.OnClose();
            }
            platform::SleepMilliseconds(5);
        } while (s.QuitFlag != 1);
        if (s.OnExit) s.OnExit();
    }
    EndProgram();
}

void EndProgram() {
    platform::CloseOpenFiles();
    platform::ShutDownOle();
    platform::ReleaseGadgets();
    // The program's own memory goes with the process; nothing is worth
    // freeing one piece at a time just before the end.
    platform::EndProcess(0);
}
