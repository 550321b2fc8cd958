// The main window as a user meets it: where it opens, what frame it has, and
// that every way of closing it ends the program with exit code 0.
#include <sys/wait.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>

#include "harness.h"

namespace e2e {
namespace {

// Window style bits, as Win32 defines them.
constexpr unsigned long Visible = 0x10000000;
constexpr unsigned long Minimized = 0x20000000;
constexpr unsigned long Maximized = 0x01000000;
constexpr unsigned long Caption = 0x00C00000;
constexpr unsigned long SystemMenu = 0x00080000;
constexpr unsigned long SizingFrame = 0x00040000;
constexpr unsigned long MinimizeBox = 0x00020000;
constexpr unsigned long MaximizeBox = 0x00010000;

constexpr int HitClose = 20; // WM_NCHITTEST's answer over the close box

using MainWindow = E2eTest;

// The window is shown first and activated right after: wait for that.
void WaitUntilActivated() {
    WaitFor("the window to become the foreground window", AppearTimeout, [](std::string& seen) {
        seen = "foreground=" + ParseWindow(Expect({"window"})).fields.at("foreground");
        return seen == "foreground=1";
    });
}

TEST_F(MainWindow, OpensCentredAroundA400By300ClientAreaWithAFixedFrame) {
    Program vellisk;
    WindowInfo w = FindWindow("vellisk");

    EXPECT_EQ(w.fields.at("title"), "vellisk");
    EXPECT_EQ(w.fields.at("class"), "VelliskWindow");
    EXPECT_EQ(w.fields.at("visible"), "1");
    WaitUntilActivated();

    EXPECT_EQ(w.client.Width(), 400);
    EXPECT_EQ(w.client.Height(), 300);

    ASSERT_EQ(w.screenWidth, 1024);
    ASSERT_EQ(w.screenHeight, 768);
    int outerWidth = std::min(w.window.Width(), w.screenWidth);
    int outerHeight = std::min(w.window.Height(), w.screenHeight);
    EXPECT_EQ(w.window.left, (w.screenWidth - outerWidth) / 2) << "window " << w.fields.at("window");
    EXPECT_EQ(w.window.top, (w.screenHeight - outerHeight) / 2) << "window " << w.fields.at("window");
    // The frame is drawn around the client area, with the title bar above.
    EXPECT_GT(w.window.Width(), w.client.Width());
    EXPECT_GE(w.client.top - w.window.top, w.caption);

    struct Bit {
        const char* name;
        unsigned long mask;
        bool set;
    };
    const Bit bits[] = {
        {"WS_CAPTION", Caption, true},          {"WS_SYSMENU", SystemMenu, true},
        {"WS_MINIMIZEBOX", MinimizeBox, true},  {"WS_VISIBLE", Visible, true},
        {"WS_MAXIMIZEBOX", MaximizeBox, false}, {"WS_THICKFRAME", SizingFrame, false},
        {"WS_MINIMIZE", Minimized, false},      {"WS_MAXIMIZE", Maximized, false},
    };
    for (const Bit& bit : bits)
        EXPECT_EQ((w.style & bit.mask) == bit.mask, bit.set)
            << bit.name << (bit.set ? " should be set" : " should not be set") << " in style " << w.fields.at("style");

    EXPECT_TRUE(vellisk.Running()) << "the program stays until the window is closed";
}

// One way a user (or another program) closes the window.
struct CloseRoad {
    const char* name;
    std::function<void(const WindowInfo&)> close;
};

void PrintTo(const CloseRoad& road, std::ostream* out) { *out << road.name; }

void ClickCloseBox(const WindowInfo& w) {
    // Wine draws the caption buttons at the right end of the title bar, the
    // close box last: aim at its middle.
    int x = w.window.right - w.frameX - w.buttonWidth / 2 - 1;
    int y = w.window.top + w.frameY + w.caption / 2;
    std::vector<std::string> hit = Expect({"hit-test", std::to_string(x), std::to_string(y)});
    ASSERT_EQ(hit.at(0), std::to_string(HitClose)) << "no close box at " << x << "," << y << "; window "
                                                    << w.fields.at("window");
    WaitForXWindow("vellisk");
    Xdotool({"mousemove", std::to_string(x), std::to_string(y)});
    Xdotool({"click", "1"});
}

void PressAltF4(const WindowInfo& w) {
    // Keys go to the active window, and X sends them to the window under
    // the pointer: rest it on the client area's right margin, where there is
    // no gadget.
    WaitUntilActivated();
    WaitForXWindow("vellisk");
    Xdotool({"mousemove", std::to_string(w.client.right - 4), std::to_string(w.client.bottom - 4)});
    Xdotool({"key", "alt+F4"});
}

class ClosingTheWindow : public E2eTest, public ::testing::WithParamInterface<CloseRoad> {};

TEST_P(ClosingTheWindow, EndsTheProgramWithExitCode0) {
    Program vellisk;
    WindowInfo w = FindWindow("vellisk");
    ASSERT_TRUE(vellisk.Running());

    GetParam().close(w);
    if (HasFatalFailure()) return;

    int status = vellisk.WaitExit();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "vellisk.exe " << DescribeStatus(status);
    Expect({"wait-gone", "5000"});
}

INSTANTIATE_TEST_SUITE_P(
    Roads, ClosingTheWindow,
    ::testing::Values(CloseRoad{"CloseBoxClick", ClickCloseBox}, CloseRoad{"AltF4", PressAltF4},
                      CloseRoad{"WmClose", [](const WindowInfo&) { Expect({"close"}); }},
                      CloseRoad{"SystemMenuClose", [](const WindowInfo&) { Expect({"sys-close"}); }}),
    [](const ::testing::TestParamInfo<CloseRoad>& road) { return std::string(road.param.name); });

} // namespace
} // namespace e2e
