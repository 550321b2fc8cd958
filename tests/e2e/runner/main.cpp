// The end-to-end runner: one Wine desktop for all tests, since starting Xvfb,
// the wineserver and the driver costs seconds. Run it with three variables:
//   VELLISK_EXE     the Windows build's vellisk.exe
//   VELLISK_DRIVER  the Windows build's driver.exe
//   WINEPREFIX      a prefix after wineboot -i, with the X11 driver's
//                   Decorated=N (no window manager draws frames under Xvfb)
// VELLISK_E2E_ARTIFACTS names the folder for screenshots of failures
// (default: the temporary folder).
#include <gtest/gtest.h>

#include "harness.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(e2e::MakeWineDesktop());
    return RUN_ALL_TESTS();
}
