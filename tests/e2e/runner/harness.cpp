#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <thread>

extern char** environ;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;


// Every descriptor of this program is close-on-exec, so that no child keeps
// another child's pipe open (the driver would never see the end of stdin).
// Pipe ends are also kept above the standard numbers and 3, which Xvfb uses.
int Raise(int fd) {
    int high = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    if (high < 0) throw HarnessError(std::string("fcntl: ") + std::strerror(errno));
    return high;
}

void MakePipe(int& readEnd, int& writeEnd) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw HarnessError(std::string("pipe: ") + std::strerror(errno));
    readEnd = Raise(fds[0]);
    writeEnd = Raise(fds[1]);
}

void WriteAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw HarnessError(std::string("write: ") + std::strerror(errno));
        done += static_cast<size_t>(n);
    }
}

long long Left(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<Milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : left;
}

std::string ReadMemory(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t n;
    off_t at = 0;
    while ((n = pread(fd, buffer, sizeof buffer, at)) > 0) {
        text.append(buffer, static_cast<size_t>(n));
        at += n;
    }
    return text;
}

// ---- the running driver -------------------------------------------------------

struct DriverConnection {
    pid_t pid = -1;
    int in = -1;  // its stdin
    int out = -1; // its stdout
    std::string buffer;
    bool outOfStep = false; // a reply is still owed to a call that gave up
    int tokens = 0;
};

DriverConnection connection;

// One line of the driver's stdout, or nothing at the deadline.
std::optional<std::string> ReadLine(Clock::time_point deadline) {
    for (;;) {
        size_t end = connection.buffer.find('\n');
        if (end != std::string::npos) {
            std::string line = connection.buffer.substr(0, end);
            connection.buffer.erase(0, end + 1);
            return line;
        }
        pollfd p{connection.out, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(std::min<long long>(Left(deadline), 1000)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            if (Clock::now() >= deadline) return std::nullopt;
            continue;
        }
        char chunk[65536];
        ssize_t n = read(connection.out, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw HarnessError("the driver ended (its stdout closed)");
        connection.buffer.append(chunk, static_cast<size_t>(n));
    }
}

// After a call gave up waiting, its reply may still come: skip lines until
// the answer to a ping with a fresh token.
void Resynchronise() {
    std::string token = "resync-" + std::to_string(++connection.tokens);
    WriteAll(connection.in, "ping\t" + token + "\n");
    auto deadline = Clock::now() + Milliseconds{60000};
    for (;;) {
        std::optional<std::string> line = ReadLine(deadline);
        if (!line) throw HarnessError("the driver gives no answer any more");
        if (*line == "ok\tpong\t" + token) break;
    }
    connection.outOfStep = false;
}

std::string settingsError;
Settings settings;

std::string FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

class WineDesktop : public ::testing::Environment {
public:
    void SetUp() override {
        signal(SIGPIPE, SIG_IGN);
        settings.exe = FromEnvironment("VELLISK_EXE");
        settings.driver = FromEnvironment("VELLISK_DRIVER");
        settings.prefix = FromEnvironment("WINEPREFIX");
        for (auto [name, value] : {std::pair{"VELLISK_EXE", settings.exe}, std::pair{"VELLISK_DRIVER", settings.driver},
                                   std::pair{"WINEPREFIX", settings.prefix}}) {
            ASSERT_FALSE(value.empty()) << name << " is not set: it must name "
                                        << (std::string(name) == "WINEPREFIX" ? "a prepared Wine prefix" : "a file");
            ASSERT_TRUE(std::filesystem::exists(value)) << name << "=" << value << " does not exist";
        }
        setenv("WINEDEBUG", "-all", 0);
        try {
            StartXvfb();
            serverStarted = true;
            CommandResult server = RunTool({"wineserver", "-p"}, Milliseconds{30000});
            ASSERT_TRUE(WIFEXITED(server.status) && WEXITSTATUS(server.status) == 0)
                << "wineserver -p " << DescribeStatus(server.status);
            StartDriver();
        } catch (const HarnessError& error) {
            FAIL() << error.what();
        }
    }

    void TearDown() override {
        if (connection.pid > 0) {
            if (!connection.outOfStep) {
                try {
                    Call({"quit"}, Milliseconds{5000});
                } catch (const HarnessError&) {
                }
            }
            close(connection.in);
            close(connection.out);
            if (!WaitForExit(connection.pid, Milliseconds{10000})) EndProcess(connection.pid);
            connection.pid = -1;
        }
        if (serverStarted) {
            try {
                RunTool({"wineserver", "-k"}, Milliseconds{30000});
                RunTool({"wineserver", "-w"}, Milliseconds{30000});
            } catch (const HarnessError& error) {
                ADD_FAILURE() << "ending the wineserver: " << error.what();
            }
        }
        if (xvfb > 0) EndProcess(xvfb);
        xvfb = -1;
    }

private:
    pid_t xvfb = -1;
    bool serverStarted = false;

    void StartXvfb() {
        int readEnd, writeEnd;
        MakePipe(readEnd, writeEnd);
        SpawnOptions options;
        options.stderrFd = -1;
        options.extraFds = {{writeEnd, 3}};
        xvfb = Spawn({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, options);
        close(writeEnd);
        // Xvfb writes the number of the free display it took, then a newline.
        std::string number;
        auto deadline = Clock::now() + Milliseconds{20000};
        while (number.find('\n') == std::string::npos) {
            pollfd p{readEnd, POLLIN, 0};
            int ready = poll(&p, 1, static_cast<int>(std::min<long long>(Left(deadline), 1000)));
            if (ready < 0 && errno == EINTR) continue;
            if (ready == 0 && Clock::now() >= deadline) break;
            if (ready == 0) continue;
            char c[64];
            ssize_t n = read(readEnd, c, sizeof c);
            if (n <= 0) break;
            number.append(c, static_cast<size_t>(n));
        }
        close(readEnd);
        if (number.find('\n') == std::string::npos)
            throw HarnessError("Xvfb gave no display number (got \"" + number + "\")");
        number.erase(number.find('\n'));
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    void StartDriver() {
        int toDriver, driverIn, driverOut, fromDriver;
        MakePipe(driverIn, toDriver);
        MakePipe(fromDriver, driverOut);
        SpawnOptions options;
        options.stdinFd = driverIn;
        options.stdoutFd = driverOut;
        options.stderrFd = Inherit;
        connection.pid = Spawn({"wine", settings.driver}, options);
        close(driverIn);
        close(driverOut);
        connection.in = toDriver;
        connection.out = fromDriver;
        // The first Wine program of a session also brings up Wine's own
        // processes: allow for a slow start.
        Reply pong = Call({"ping"}, Milliseconds{90000});
        if (!pong.ok || pong.fields != std::vector<std::string>{"pong"})
            throw HarnessError("the driver answered ping with: " + pong.line);
    }
};

} // namespace

::testing::Environment* MakeWineDesktop() { return new WineDesktop; }

// ---- processes ----------------------------------------------------------------

pid_t Spawn(const std::vector<std::string>& argv, const SpawnOptions& options) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    int standard[3] = {options.stdinFd, options.stdoutFd, options.stderrFd};
    for (int target = 0; target < 3; ++target) {
        if (standard[target] == Inherit) continue;
        posix_spawn_file_actions_adddup2(&actions, standard[target] >= 0 ? standard[target] : null, target);
    }
    for (auto [fd, target] : options.extraFds) posix_spawn_file_actions_adddup2(&actions, fd, target);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    int error = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(null);
    if (error != 0) throw HarnessError("cannot start " + argv[0] + ": " + std::strerror(error));
    return pid;
}

std::optional<int> WaitForExit(pid_t pid, Milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    for (;;) {
        int status = 0;
        pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == pid) return status;
        if (got < 0 && errno != EINTR) throw HarnessError("waitpid: " + std::string(std::strerror(errno)));
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(Milliseconds{20});
    }
}

void EndProcess(pid_t pid, Milliseconds grace) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (WaitForExit(pid, grace)) return;
    kill(pid, SIGKILL);
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

CommandResult RunTool(const std::vector<std::string>& argv, Milliseconds timeout) {
    // Output goes to memory files rather than pipes: a tool that leaves a
    // daemon behind (wineserver) would hold a pipe open for ever.
    int out = memfd_create("tool-stdout", MFD_CLOEXEC);
    int err = memfd_create("tool-stderr", MFD_CLOEXEC);
    SpawnOptions options;
    options.stdoutFd = out;
    options.stderrFd = err;
    CommandResult result;
    try {
        pid_t pid = Spawn(argv, options);
        std::optional<int> status = WaitForExit(pid, timeout);
        if (!status) {
            EndProcess(pid);
            throw HarnessError(argv[0] + " did not end within " + Ms(timeout) + " ms");
        }
        result.status = *status;
        result.output = ReadMemory(out);
        std::string errors = ReadMemory(err);
        if (!(WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0) && !errors.empty())
            result.output += (result.output.empty() ? "" : "\n") + errors;
    } catch (...) {
        close(out);
        close(err);
        throw;
    }
    close(out);
    close(err);
    return result;
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
    return "ended with status " + std::to_string(status);
}

// ---- waiting ------------------------------------------------------------------

void WaitFor(const std::string& what, Milliseconds timeout, const std::function<bool(std::string& seen)>& probe) {
    auto start = Clock::now();
    auto deadline = start + timeout;
    std::string seen;
    for (;;) {
        seen.clear();
        if (probe(seen)) return;
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(Milliseconds{50});
    }
    auto waited = std::chrono::duration_cast<Milliseconds>(Clock::now() - start);
    throw HarnessError("waited " + Ms(waited) + " ms for " + what + "; last seen: " + seen);
}

// ---- the protocol -------------------------------------------------------------

std::string EscapeField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04X", c);
                out += buffer;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

void AppendUnit(std::string& out, unsigned unit) {
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
}

std::string UnescapeField(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 >= field.size()) {
            out += field[i];
            continue;
        }
        char e = field[++i];
        if (e == '\\') out += '\\';
        else if (e == 't') out += '\t';
        else if (e == 'n') out += '\n';
        else if (e == 'r') out += '\r';
        else if (e == 'u' && i + 4 < field.size() &&
                 field.substr(i + 1, 4).find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
            unsigned unit = static_cast<unsigned>(std::stoul(field.substr(i + 1, 4), nullptr, 16));
            i += 4;
            AppendUnit(out, unit);
        } else {
            throw HarnessError("bad escape in a reply field: " + field);
        }
    }
    return out;
}

std::vector<std::string> SplitLine(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        fields.push_back(UnescapeField(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

const std::string& Reply::Error() const {
    static const std::string none;
    return ok || fields.empty() ? none : fields[0];
}

std::map<std::string, std::string> KeyValues(const std::vector<std::string>& fields) {
    std::map<std::string, std::string> map;
    for (const std::string& field : fields) {
        size_t equals = field.find('=');
        if (equals != std::string::npos) map[field.substr(0, equals)] = field.substr(equals + 1);
    }
    return map;
}

const Settings& Config() { return settings; }

std::string Ms(Milliseconds m) { return std::to_string(m.count()); }

Reply Call(const std::vector<std::string>& command, Milliseconds timeout) {
    if (connection.pid <= 0) throw HarnessError("the driver is not running");
    if (connection.outOfStep) Resynchronise();
    std::string line;
    for (size_t i = 0; i < command.size(); ++i) {
        if (i > 0) line += '\t';
        line += EscapeField(command[i]);
    }
    WriteAll(connection.in, line + "\n");
    std::optional<std::string> answer = ReadLine(Clock::now() + timeout);
    if (!answer) {
        connection.outOfStep = true;
        throw HarnessError("the driver did not answer \"" + command[0] + "\" within " + Ms(timeout) + " ms");
    }
    Reply reply;
    reply.line = *answer;
    std::vector<std::string> fields = SplitLine(*answer);
    reply.ok = fields[0] == "ok";
    if (!reply.ok && fields[0] != "err") throw HarnessError("the driver's reply makes no sense: " + *answer);
    reply.fields.assign(fields.begin() + 1, fields.end());
    return reply;
}

std::vector<std::string> Expect(const std::vector<std::string>& command, Milliseconds timeout) {
    Reply reply = Call(command, timeout);
    if (!reply.ok) throw HarnessError("driver: " + command[0] + ": " + reply.Error());
    return reply.fields;
}

// ---- the program --------------------------------------------------------------

Program::Program(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"wine", Config().exe};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    SpawnOptions options;
    options.stderrFd = Inherit;
    pid_ = Spawn(argv, options);
}

Program::~Program() {
    if (!status_) EndProcess(pid_);
}

bool Program::Running() {
    if (status_) return false;
    status_ = WaitForExit(pid_, Milliseconds{0});
    return !status_;
}

int Program::WaitExit(Milliseconds timeout) {
    if (!status_) status_ = WaitForExit(pid_, timeout);
    if (!status_) throw HarnessError("vellisk.exe still runs " + Ms(timeout) + " ms later");
    return *status_;
}

// ---- the window ---------------------------------------------------------------

namespace {

Rect ParseRect(const std::string& text) {
    Rect r;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d", &r.left, &r.top, &r.right, &r.bottom) != 4)
        throw HarnessError("not a rectangle: " + text);
    return r;
}

std::pair<int, int> ParsePair(const std::string& text) {
    int a = 0, b = 0;
    if (std::sscanf(text.c_str(), "%d,%d", &a, &b) != 2) throw HarnessError("not a pair: " + text);
    return {a, b};
}

std::string RegexQuoted(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (std::strchr("\\^$.|?*+()[]{}", c)) out += '\\';
        out += c;
    }
    return out;
}

} // namespace

WindowInfo ParseWindow(const std::vector<std::string>& fields) {
    WindowInfo info;
    info.fields = KeyValues(fields);
    auto field = [&](const char* key) -> const std::string& {
        auto it = info.fields.find(key);
        if (it == info.fields.end()) throw HarnessError(std::string("the window reply lacks ") + key);
        return it->second;
    };
    info.style = std::stoul(field("style"), nullptr, 0);
    info.exstyle = std::stoul(field("exstyle"), nullptr, 0);
    info.window = ParseRect(field("window"));
    info.client = ParseRect(field("client"));
    std::tie(info.screenWidth, info.screenHeight) = ParsePair(field("screen"));
    info.caption = std::stoi(field("caption"));
    std::tie(info.frameX, info.frameY) = ParsePair(field("frame"));
    std::tie(info.buttonWidth, info.buttonHeight) = ParsePair(field("button"));
    return info;
}

WindowInfo FindWindow(const std::string& title, Milliseconds timeout) {
    return ParseWindow(Expect({"find-window", title, Ms(timeout)}, timeout + Milliseconds{15000}));
}

void WaitForXWindow(const std::string& title, Milliseconds timeout) {
    WaitFor("the X server to show the window \"" + title + "\"", timeout, [&](std::string& seen) {
        std::string pattern = '^' + RegexQuoted(title) + '$';
        CommandResult found = RunTool({"xdotool", "search", "--onlyvisible", "--name", pattern});
        seen = "xdotool search " + DescribeStatus(found.status) + ": " + found.output;
        return WIFEXITED(found.status) && WEXITSTATUS(found.status) == 0 && !found.output.empty();
    });
}

// ---- X tools ------------------------------------------------------------------

void Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    CommandResult result = RunTool(argv);
    if (!(WIFEXITED(result.status) && WEXITSTATUS(result.status) == 0)) {
        std::string line;
        for (const std::string& a : arguments) line += " " + a;
        throw HarnessError("xdotool" + line + " " + DescribeStatus(result.status) + ": " + result.output);
    }
}

XClipboard::XClipboard(const std::string& text) {
    int readEnd, writeEnd;
    MakePipe(readEnd, writeEnd);
    SpawnOptions options;
    options.stdinFd = readEnd;
    // -quiet keeps xclip in the foreground, so that the pid is the one that
    // serves the selection.
    pid_ = Spawn({"xclip", "-quiet", "-selection", "clipboard", "-i"}, options);
    close(readEnd);
    try {
        WriteAll(writeEnd, text);
    } catch (...) {
        close(writeEnd);
        throw;
    }
    close(writeEnd);
    WaitFor("xclip to serve the clipboard", Milliseconds{10000}, [&](std::string& seen) {
        CommandResult now = RunTool({"xclip", "-o", "-selection", "clipboard"});
        seen = now.output.substr(0, 200);
        return WIFEXITED(now.status) && WEXITSTATUS(now.status) == 0 && now.output == text;
    });
}

XClipboard::~XClipboard() { EndProcess(pid_); }

std::string Screenshot(const std::string& name) {
    std::string folder = FromEnvironment("VELLISK_E2E_ARTIFACTS");
    if (folder.empty()) folder = std::filesystem::temp_directory_path().string();
    std::filesystem::create_directories(folder);
    std::string path = folder + "/" + name + ".png";
    CommandResult shot = RunTool({"import", "-window", "root", path});
    if (!(WIFEXITED(shot.status) && WEXITSTATUS(shot.status) == 0))
        throw HarnessError("import " + DescribeStatus(shot.status) + ": " + shot.output);
    return path;
}

// ---- tests --------------------------------------------------------------------

void E2eTest::SetUp() { Xdotool({"mousemove", "0", "0"}); }

void E2eTest::TearDown() {
    if (!HasFailure()) return;
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name)
        if (c == '/') c = '_';
    try {
        std::cerr << "screen at the failure: " << Screenshot("vellisk-e2e-" + name) << "\n";
    } catch (const HarnessError& error) {
        std::cerr << "no screenshot: " << error.what() << "\n";
    }
}

} // namespace e2e
