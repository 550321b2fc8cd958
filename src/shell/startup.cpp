#include "shell/startup.h"

#include "app/form.h"
#include "app/save.h"
#include "shell/identity.h"
#include "shell/window.h"
#include "toolkit/gadgets.h"
#include "toolkit/tiles.h"

void DoNothingOnEachEvent() {}

void PrepareProgram() {
    platform::Prepare();
    WindowSettings = WindowSettingsRecord{};
    FillIdentityStrings();
    WindowSettings.WindowNumber = 1;
    WindowSettings.WindowFlags = WindowOptionSystemMenu | WindowOptionScreenCentered | WindowOptionMinimizeButton;
    ResetGadgetActionMap();
    ResetTileRegistry();
    LastErrorText.clear();
    WindowSettings.Width = 400;
    WindowSettings.Height = 300;
    WindowSettings.Title = IdentityStrings.ProgramName;
    WindowSettings.OnOpen = BuildMainForm;
    OpenMainWindow(u"");
}

void StartProgram() {
    PrepareProgram();
    WindowSettings.OnEachEvent = DoNothingOnEachEvent;
    RunEventLoop();
}
