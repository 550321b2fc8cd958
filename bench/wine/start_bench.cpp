// Start, idle and large-clipboard timings of vellisk.exe under Wine, in one
// run on a warm prefix, through the end-to-end harness and the test driver.
// scripts/bench-wine.sh builds and runs it; see the README.
//
// Environment: VELLISK_EXE, VELLISK_DRIVER and WINEPREFIX as for the
// end-to-end tests. The baseline window program and the editor's own
// benchmark are minimal_window.exe and editor_cost.exe beside VELLISK_EXE.
// Arguments: --repetitions=N (start pairs, default 9), --idle-runs=N
// (default 3), --sizes=1,4,16 (clipboards in Mi code units; --sizes= for
// none), --size-timeout=S (seconds allowed per Mi for each step of one
// size, default 60).
//
// It prints a table and exits with 1 when the start ratio or the idle
// processor time misses its target, 2 when it could not measure.
#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/cleanup.h"
#include "form_support.h"
#include "harness.h"
#include "large_text.h"
#include "text/text.h"

namespace {

using e2e::Expect;
using e2e::HarnessError;
using e2e::Milliseconds;
namespace form = e2e::form;

constexpr double StartRatioTarget = 1.5;
constexpr double IdleCpuTargetMs = 50.0;
constexpr int IdleSeconds = 5;
constexpr size_t Mi = size_t{1} << 20;

struct Options {
    int repetitions = 9;
    int idleRuns = 3;
    std::vector<int> sizes{1, 4, 16};
    int secondsPerMi = 60;
};

Options Parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            size_t n = std::strlen(name);
            return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
        };
        if (const char* v = value("--repetitions=")) options.repetitions = std::max(1, std::atoi(v));
        else if (const char* v = value("--idle-runs=")) options.idleRuns = std::max(1, std::atoi(v));
        else if (const char* v = value("--size-timeout=")) options.secondsPerMi = std::max(1, std::atoi(v));
        else if (const char* v = value("--sizes=")) {
            options.sizes.clear();
            std::stringstream list(v);
            for (std::string item; std::getline(list, item, ',');)
                if (!item.empty()) options.sizes.push_back(std::atoi(item.c_str()));
        } else {
            std::cerr << "unknown argument: " << arg << "\n";
            std::exit(2);
        }
    }
    return options;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Min(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
double Max(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

std::string Fixed(double value, int decimals = 1) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

// The key=value fields of a driver reply as numbers.
std::map<std::string, double> Numbers(const std::vector<std::string>& fields) {
    std::map<std::string, double> numbers;
    for (auto& [key, value] : e2e::KeyValues(fields)) numbers[key] = std::atof(value.c_str());
    return numbers;
}

std::string WindowsPath(const std::string& unixPath) {
    std::string absolute = std::filesystem::absolute(unixPath).string();
    e2e::CommandResult named = e2e::RunTool({"winepath", "-w", absolute}, Milliseconds{30000});
    std::string windows = named.output.substr(0, named.output.find_first_of("\r\n"));
    if (!(WIFEXITED(named.status) && WEXITSTATUS(named.status) == 0) || windows.empty())
        throw HarnessError("winepath -w " + absolute + " " + e2e::DescribeStatus(named.status));
    return windows;
}

// ---- start ------------------------------------------------------------------

struct Program {
    std::string commandLine, title;
};

struct Start {
    std::map<std::string, double> times; // the fields of run-timed
};

void End(long pid) {
    Expect({"kill", std::to_string(pid)});
    Expect({"wait-exit", std::to_string(pid), "15000"}, Milliseconds{30000});
}

Start TimeStart(const Program& program, long long timeoutMs, const std::vector<std::string>& lengthCheck = {}) {
    std::vector<std::string> command{"run-timed", program.commandLine, program.title, std::to_string(timeoutMs)};
    command.insert(command.end(), lengthCheck.begin(), lengthCheck.end());
    Start start;
    start.times = Numbers(Expect(command, Milliseconds{timeoutMs + 30000}));
    return start;
}

struct StartResults {
    std::vector<double> minimal, vellisk, ratios;
    std::map<std::string, std::vector<double>> milestones; // vellisk's
};

StartResults MeasureStarts(const Program& minimal, const Program& vellisk, int repetitions) {
    // A short clipboard text, as after copying a sentence.
    Expect({"clip-set", "Call back about the offer before Friday, 10:30."});
    auto once = [](const Program& program) {
        Start s = TimeStart(program, 30000);
        End(static_cast<long>(s.times.at("pid")));
        return s;
    };
    // Not counted: the first start of each loads what the prefix has not yet
    // read from disk.
    once(minimal);
    once(vellisk);
    StartResults results;
    for (int i = 0; i < repetitions; ++i) {
        // Alternating order, so that neither always runs right after the other.
        bool minimalFirst = i % 2 == 0;
        Start a = once(minimalFirst ? minimal : vellisk);
        Start b = once(minimalFirst ? vellisk : minimal);
        const Start& m = minimalFirst ? a : b;
        const Start& v = minimalFirst ? b : a;
        results.minimal.push_back(m.times.at("idle"));
        results.vellisk.push_back(v.times.at("idle"));
        results.ratios.push_back(v.times.at("idle") / m.times.at("idle"));
        for (const char* key : {"created", "input-idle", "shown", "answered"})
            results.milestones[key].push_back(v.times.at(key));
    }
    return results;
}

// ---- idle ---------------------------------------------------------------------

// Processor time of a Linux process and all its threads, in milliseconds.
double CpuMs(pid_t pid) {
    clockid_t clock;
    if (clock_getcpuclockid(pid, &clock) != 0) throw HarnessError("no processor clock for pid " + std::to_string(pid));
    timespec t{};
    if (clock_gettime(clock, &t) != 0) throw HarnessError("cannot read the processor clock of " + std::to_string(pid));
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Context switches of all the process's threads: how often it woke up.
long long Switches(pid_t pid) {
    long long total = 0;
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 || line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::atoll(line.c_str() + line.find(':') + 1);
        }
    }
    return total;
}

std::string Comm(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(file, name);
    return name;
}

struct IdleResult {
    double startCpu = 0, idleCpu = 0;
    long long wakeups = 0;
};

// Clicks into the editor with the real mouse, so that its caret blinks, and
// waits until it has the focus.
void FocusEditor() {
    e2e::WindowInfo window = e2e::ParseWindow(Expect({"window"}));
    std::vector<form::ChildInfo> children = form::Children();
    if (children.size() != form::GadgetCount) throw HarnessError("the form is not complete");
    const form::ChildInfo& editor = children[form::Editor];
    int x = window.client.left + editor.x + editor.width / 2;
    int y = window.client.top + editor.y + editor.height / 2;
    e2e::Xdotool({"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
    e2e::WaitFor("the editor to have the focus", Milliseconds{10000}, [](std::string& seen) {
        std::vector<std::string> focus = Expect({"focus"});
        seen = focus.empty() ? "" : focus[0];
        return seen == std::to_string(static_cast<int>(form::Editor));
    });
}

// vellisk.exe started by the wine launcher, so that the Linux process is our
// own child and its processor clock can be read (see perf_commands.cpp).
IdleResult MeasureIdle(bool caretInEditor) {
    Expect({"clip-set", "Call back about the offer before Friday, 10:30."});
    e2e::Program program;
    Expect({"wait-idle", "vellisk", "30000"}, Milliseconds{60000});
    if (Comm(program.Pid()) != "vellisk.exe")
        throw HarnessError("process " + std::to_string(program.Pid()) + " is " + Comm(program.Pid()) +
                           ", not vellisk.exe");
    if (caretInEditor) {
        FocusEditor();
        Expect({"wait-idle", "vellisk", "30000"}, Milliseconds{60000});
    }
    IdleResult result;
    result.startCpu = CpuMs(program.Pid());
    long long switches = Switches(program.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(IdleSeconds));
    result.idleCpu = CpuMs(program.Pid()) - result.startCpu;
    result.wakeups = Switches(program.Pid()) - switches;
    if (!program.Running()) throw HarnessError("vellisk.exe ended while it sat idle");
    return result;
}

// ---- large clipboards -------------------------------------------------------------

struct LargeResult {
    int mi = 0;
    size_t units = 0;
    bool done = false;
    std::string failure;
    double start = 0, compress = 0, wrap = 0; // end to end
    size_t compressedUnits = 0, wrappedUnits = 0;
    std::map<std::string, double> editor; // what editor_cost.exe printed
};

std::map<std::string, double> EditorCost(const std::string& exe, size_t copies, Milliseconds timeout) {
    e2e::CommandResult run = e2e::RunTool({"wine", exe, std::to_string(copies)}, timeout);
    if (!(WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0))
        throw HarnessError("editor_cost.exe " + e2e::DescribeStatus(run.status) + ": " + run.output);
    std::vector<std::string> fields;
    std::stringstream words(run.output);
    for (std::string word; words >> word;) fields.push_back(word);
    return Numbers(fields);
}

LargeResult MeasureLarge(const Program& vellisk, const std::string& editorCost, int mi, int secondsPerMi,
                         const std::string& piece) {
    LargeResult r;
    r.mi = mi;
    size_t count = static_cast<size_t>(mi) * Mi / LargePieceUnits;
    r.units = count * LargePieceUnits;
    long long timeout = static_cast<long long>(secondsPerMi) * 1000 * mi;
    Milliseconds callTimeout{timeout + 30000};

    // What the buttons must leave: "Column wrap" runs on what "Compress
    // spaces" left.
    {
        Text compressed = CompressedSpaces(RepeatedPiece(count));
        r.compressedUnits = compressed.size();
        r.wrappedUnits = ColumnWrapped(compressed).size();
    }

    std::string editor = form::Child(form::Editor);
    long pid = 0;
    try {
        Expect({"clip-set-repeat", piece, std::to_string(count)}, callTimeout);
        Start s = TimeStart(vellisk, timeout, {editor, std::to_string(r.units)});
        pid = static_cast<long>(s.times.at("pid"));
        r.start = s.times.at("idle");
        auto click = [&](form::Gadget button, size_t expected) {
            auto t = Numbers(
                Expect({"click-timed", form::Child(button), editor, std::to_string(timeout)}, callTimeout));
            if (static_cast<size_t>(t.at("length")) != expected)
                throw HarnessError(std::string(form::NameOf(button)) + " left " + Fixed(t.at("length"), 0) +
                                   " units, not " + std::to_string(expected));
            return t.at("idle");
        };
        r.compress = click(form::CompressSpacesButton, r.compressedUnits);
        r.wrap = click(form::ColumnWrapButton, r.wrappedUnits);
        End(pid);
        pid = 0;
        Expect({"clip-clear"});
        r.editor = EditorCost(editorCost, count, Milliseconds{timeout * 5 + 30000});
        if (static_cast<size_t>(r.editor["units0"]) != r.units ||
            static_cast<size_t>(r.editor["units1"]) != r.compressedUnits ||
            static_cast<size_t>(r.editor["units2"]) != r.wrappedUnits)
            throw HarnessError("editor_cost.exe's texts have other lengths than the program's");
        r.done = true;
    } catch (const HarnessError& error) {
        r.failure = error.what();
        if (pid) {
            try {
                End(pid);
            } catch (const HarnessError&) {
            }
        }
        Expect({"clip-clear"});
    }
    return r;
}

// ---- the report ---------------------------------------------------------------

void Row(const std::string& name, const std::vector<double>& v) {
    std::printf("  %-28s %9s %9s %9s\n", name.c_str(), Fixed(Median(v)).c_str(), Fixed(Min(v)).c_str(),
                Fixed(Max(v)).c_str());
}

} // namespace

int main(int argc, char** argv) {
    Options options = Parse(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    std::unique_ptr<::testing::Environment> desktop(e2e::MakeWineDesktop());
    desktop->SetUp();
    if (::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed()) {
        std::cerr << "could not start Xvfb, Wine and the driver\n";
        desktop->TearDown();
        return 2;
    }

    int status = 0;
    try {
        std::filesystem::path folder = std::filesystem::path(e2e::Config().exe).parent_path();
        std::string minimalExe = WindowsPath((folder / "minimal_window.exe").string());
        std::string velliskExe = WindowsPath(e2e::Config().exe);
        std::string editorCost = (folder / "editor_cost.exe").string();
        Program minimal{"\"" + minimalExe + "\" minimal window", "minimal window"};
        Program vellisk{"\"" + velliskExe + "\"", "vellisk"};

        std::printf("vellisk under Wine: %d start pairs, interleaved, on a warm prefix\n\n", options.repetitions);
        StartResults starts = MeasureStarts(minimal, vellisk, options.repetitions);
        std::printf("start until the main window is idle (ms)    median       min       max\n");
        Row("minimal_window.exe", starts.minimal);
        Row("vellisk.exe", starts.vellisk);
        std::printf("  vellisk.exe's milestones:\n");
        for (const char* key : {"created", "input-idle", "shown", "answered"})
            Row(std::string("  ") + key, starts.milestones[key]);
        double ratio = Median(starts.vellisk) / Median(starts.minimal);
        bool startMet = ratio <= StartRatioTarget;
        std::printf("  ratio of the medians %.2f (pairs %.2f to %.2f), target at most %.1f: %s\n\n", ratio,
                    Min(starts.ratios), Max(starts.ratios), StartRatioTarget, startMet ? "met" : "MISSED");

        std::vector<double> idle, idleCaret, startCpu, wakeups, wakeupsCaret;
        for (int i = 0; i < options.idleRuns; ++i) {
            IdleResult plain = MeasureIdle(false);
            idle.push_back(plain.idleCpu);
            startCpu.push_back(plain.startCpu);
            wakeups.push_back(static_cast<double>(plain.wakeups));
            IdleResult caret = MeasureIdle(true);
            idleCaret.push_back(caret.idleCpu);
            wakeupsCaret.push_back(static_cast<double>(caret.wakeups));
        }
        std::printf("processor time of vellisk.exe (ms)          median       min       max\n");
        Row("until idle (with Wine's start)", startCpu);
        Row("then idle for 5 s", idle);
        Row("  its context switches", wakeups);
        Row("idle 5 s, caret in the editor", idleCaret);
        Row("  its context switches", wakeupsCaret);
        double worst = std::max(Max(idle), Max(idleCaret));
        bool idleMet = worst < IdleCpuTargetMs;
        std::printf("  the most of %d runs each %.1f ms, target under %.0f ms: %s\n\n", options.idleRuns, worst,
                    IdleCpuTargetMs, idleMet ? "met" : "MISSED");

        if (!options.sizes.empty()) {
            std::string piece = EncodeUtf8(LargeTextPiece());
            std::vector<LargeResult> large;
            for (int mi : options.sizes) {
                large.push_back(MeasureLarge(vellisk, editorCost, mi, options.secondsPerMi, piece));
                if (!large.back().done) break; // a larger size would take longer still
            }
            std::printf("large clipboards, end to end in vellisk.exe (ms, one run per size)\n");
            std::printf("  %-6s %9s %10s %10s %10s\n", "size", "units", "start", "compress", "wrap");
            for (const LargeResult& r : large) {
                std::string name = std::to_string(r.mi) + " Mi";
                if (!r.done) {
                    std::printf("  %-6s %9zu not measured: %s\n", name.c_str(), r.units, r.failure.c_str());
                    continue;
                }
                std::printf("  %-6s %9zu %10s %10s %10s\n", name.c_str(), r.units, Fixed(r.start).c_str(),
                            Fixed(r.compress).c_str(), Fixed(r.wrap).c_str());
            }
            std::printf("  start: CreateProcess until the editor holds the whole clipboard and the window is\n"
                        "  idle; compress, wrap: the click until the editor holds the result (its length\n"
                        "  checked) and the window answers again; wrap runs on what compress left.\n\n");
            std::printf("the same steps in editor_cost.exe: the program's Win32 layer, no event loop (ms)\n");
            std::printf("  %-6s %9s %7s | %7s %9s %9s %7s | %7s %9s %9s %7s\n", "size", "set", "paint", "get",
                        "compress", "set", "paint", "get", "wrap", "set", "paint");
            for (const LargeResult& r : large) {
                if (!r.done) continue;
                auto e = r.editor;
                std::printf("  %-6s %9s %7s | %7s %9s %9s %7s | %7s %9s %9s %7s\n",
                            (std::to_string(r.mi) + " Mi").c_str(), Fixed(e["set0"]).c_str(),
                            Fixed(e["paint0"]).c_str(), Fixed(e["get1"]).c_str(), Fixed(e["compress"]).c_str(),
                            Fixed(e["set1"]).c_str(), Fixed(e["paint1"]).c_str(), Fixed(e["get2"]).c_str(),
                            Fixed(e["wrap"]).c_str(), Fixed(e["set2"]).c_str(), Fixed(e["paint2"]).c_str());
            }
            std::printf("  set, get: the editor's text set and read (SetGadgetText, GadgetText), what start-up\n"
                        "  and each button do to it; compress, wrap: the commands themselves, our code.\n\n");
        }
        status = startMet && idleMet ? 0 : 1;
    } catch (const HarnessError& error) {
        std::fflush(stdout);
        std::cerr << "bench-wine: " << error.what() << "\n";
        status = 2;
    }
    desktop->TearDown();
    return status;
}
