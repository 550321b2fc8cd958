// The end-to-end harness: a virtual X server, the Wine test driver, the
// program under test and the X input tools, all started and ended by pid.
//
// Helpers report a failure by throwing HarnessError with what they saw;
// GoogleTest turns that into a failure of the test that called them.
#pragma once

#include <sys/types.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

using Milliseconds = std::chrono::milliseconds;

// Wine on two cores is slow at times: the waits are generous, and bounded.
inline constexpr Milliseconds AppearTimeout{20000};
inline constexpr Milliseconds ExitTimeout{20000};

struct HarnessError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---- processes ----------------------------------------------------------------

inline constexpr int Inherit = -2; // an fd of SpawnOptions: the child shares ours

struct SpawnOptions {
    int stdinFd = -1;  // dup'ed onto 0 in the child; -1: /dev/null
    int stdoutFd = -1; // onto 1; -1: /dev/null
    int stderrFd = -1; // onto 2; -1: /dev/null
    std::vector<std::pair<int, int>> extraFds; // (fd in the parent, number in the child)
};

pid_t Spawn(const std::vector<std::string>& argv, const SpawnOptions& options = {});

// The exit status of a process this program started, as waitpid gives it,
// or nothing when it is still running after `timeout`.
std::optional<int> WaitForExit(pid_t pid, Milliseconds timeout);

// Ends a process this program started and reaps it: SIGTERM, then SIGKILL
// if it is still there after `grace`.
void EndProcess(pid_t pid, Milliseconds grace = Milliseconds{3000});

struct CommandResult {
    int status = -1; // waitpid status
    std::string output;
};

// Runs a short-lived tool to its end, with a bound; its stdout is returned.
CommandResult RunTool(const std::vector<std::string>& argv, Milliseconds timeout = Milliseconds{15000});

// "exited with 0", "killed by signal 9", ...
std::string DescribeStatus(int status);

// ---- waiting ------------------------------------------------------------------

// Polls `probe` until it returns true or `timeout` passes; `probe` describes
// what it saw in its argument, and a timeout throws with the last of that.
void WaitFor(const std::string& what, Milliseconds timeout, const std::function<bool(std::string& seen)>& probe);

// ---- the driver's protocol ---------------------------------------------------

std::string EscapeField(const std::string& text);
std::string UnescapeField(const std::string& field);
// Appends one UTF-16 code unit as the protocol's UTF-8 writes it: in the
// three-byte form also for a lone surrogate.
void AppendUnit(std::string& out, unsigned unit);
// Splits a reply line and undoes the escapes of each field.
std::vector<std::string> SplitLine(const std::string& line);

struct Reply {
    bool ok = false;
    std::vector<std::string> fields; // after "ok", or the error message
    std::string line;                // as it came
    const std::string& Error() const;
};

// The key=value fields of a reply.
std::map<std::string, std::string> KeyValues(const std::vector<std::string>& fields);

// ---- the shared environment --------------------------------------------------

struct Settings {
    std::string exe;    // VELLISK_EXE
    std::string driver; // VELLISK_DRIVER
    std::string prefix; // WINEPREFIX
};

const Settings& Config();

// Sends one command to the running driver and reads its reply; throws when
// no reply comes within `timeout` (which must exceed the command's own).
Reply Call(const std::vector<std::string>& command, Milliseconds timeout = Milliseconds{30000});
// Like Call, and an "err" reply throws too.
std::vector<std::string> Expect(const std::vector<std::string>& command,
                                Milliseconds timeout = Milliseconds{30000});

std::string Ms(Milliseconds m); // the decimal field of a timeout

// ---- the program under test --------------------------------------------------

// vellisk.exe started through the wine launcher, with the given arguments.
// The destructor ends it if it still runs, so no test leaves one behind.
class Program {
public:
    explicit Program(const std::vector<std::string>& arguments = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    pid_t Pid() const { return pid_; }
    bool Running();
    // The waitpid status once it ended; throws when it still runs at the end
    // of `timeout`.
    int WaitExit(Milliseconds timeout = ExitTimeout);

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// ---- the main window, through the driver -------------------------------------

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct WindowInfo {
    std::map<std::string, std::string> fields; // as the driver gave them
    unsigned long style = 0, exstyle = 0;
    Rect window, client;
    int screenWidth = 0, screenHeight = 0;
    int caption = 0, frameX = 0, frameY = 0, buttonWidth = 0, buttonHeight = 0;
};

WindowInfo ParseWindow(const std::vector<std::string>& fields);
// Waits for the visible top-level window of that title and selects it in the
// driver for the commands that follow.
WindowInfo FindWindow(const std::string& title, Milliseconds timeout = AppearTimeout);

// Waits until the X server shows a window of that exact title (it is mapped
// and viewable), so that real mouse input can reach it.
void WaitForXWindow(const std::string& title, Milliseconds timeout = AppearTimeout);

// ---- X input and clipboard ----------------------------------------------------

// Runs xdotool with these arguments and requires it to succeed.
void Xdotool(const std::vector<std::string>& arguments);

// Serves `text` as the X clipboard through xclip until the object ends.
class XClipboard {
public:
    explicit XClipboard(const std::string& text);
    ~XClipboard();
    XClipboard(const XClipboard&) = delete;
    XClipboard& operator=(const XClipboard&) = delete;

private:
    pid_t pid_ = -1;
};

// Saves a picture of the whole screen; returns its path.
std::string Screenshot(const std::string& name);

// ---- tests --------------------------------------------------------------------

// The global environment: Xvfb, a warm wineserver and the driver for the
// whole run.
::testing::Environment* MakeWineDesktop();

// Base of the end-to-end tests: every test starts with the pointer in the
// screen's corner, away from any window, and a failing test leaves a
// screenshot behind.
class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace e2e
