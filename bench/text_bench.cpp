// Times the text commands on generated clipboard text of 1, 4 and 16 Mi code
// units, next to a plain copy of the same text measured in the same run, and
// checks the targets: linear scaling, the two clean-up commands within a small
// multiple of the copy, and Column wrap's peak memory.
//
// Times are the median of the repetitions, wall clock. The exit code is 1 when
// a result is wrong or a target is missed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/cleanup.h"
#include "heap_counter.h"
#include "reference.h"
#include "sample_text.h"
#include "text/text.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr size_t Mi = size_t(1) << 20;
constexpr uint64_t Seed = 0x76656C6C69736Bull;

struct Size {
    const char* label;
    size_t units;
};
const Size Sizes[] = {{"1Mi", 1 * Mi}, {"4Mi", 4 * Mi}, {"16Mi", 16 * Mi}};

const char* const CopyName = "copy";

// Each command returns something derived from its result, which the caller
// hands to DoNotOptimize so that the work cannot be dropped.
struct Command {
    const char* name;
    std::function<size_t(TextView)> run;
};

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {CopyName,
         [](TextView text) {
             Text copy(text);
             benchmark::DoNotOptimize(copy.data());
             benchmark::ClobberMemory();
             return copy.size();
         }},
        {"CompressedSpaces", [](TextView text) { return CompressedSpaces(text).size(); }},
        {"ColumnWrapped", [](TextView text) { return ColumnWrapped(text).size(); }},
        {"Split+Wrap+Join",
         [](TextView text) {
             std::vector<TextView> words = SplitWords(text, u" ");
             std::vector<Text> lines = WrapWords(words, WrapWidth);
             return JoinLines(lines, u"\r\n").size();
         }},
        {"ReplaceAll", [](TextView text) { return ReplaceAll(text, u"  ", u" ").size(); }},
        {"CountOccurrences", [](TextView text) { return static_cast<size_t>(CountOccurrences(text, u"  ")); }},
        {"LowerCase", [](TextView text) { return LowerCase(text).size(); }},
        {"EncodeUtf8", [](TextView text) { return EncodeUtf8(text).size(); }},
    };
    return commands;
}

std::vector<Text>& Inputs() {
    static std::vector<Text> inputs;
    return inputs;
}

// Median wall time in nanoseconds, by command and size label.
std::map<std::string, std::map<std::string, double>> medians;
std::map<std::string, std::pair<std::string, std::string>> nameParts;

double Nanoseconds(const benchmark::BenchmarkReporter::Run& run) {
    double factor = 1;
    switch (run.time_unit) {
    case benchmark::kNanosecond: factor = 1; break;
    case benchmark::kMicrosecond: factor = 1e3; break;
    case benchmark::kMillisecond: factor = 1e6; break;
    case benchmark::kSecond: factor = 1e9; break;
    }
    return run.GetAdjustedRealTime() * factor;
}

// The usual console output, and the medians kept for the table at the end.
class Reporter : public benchmark::ConsoleReporter {
public:
    Reporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            if (!median && !single) continue;
            auto parts = nameParts.find(run.run_name.function_name);
            if (parts == nameParts.end()) continue;
            medians[parts->second.first][parts->second.second] = Nanoseconds(run);
        }
    }
};

void Register() {
    for (size_t s = 0; s < std::size(Sizes); ++s) {
        for (const Command& command : Commands()) {
            const std::string name = std::string(command.name) + "/" + Sizes[s].label;
            nameParts[name] = {command.name, Sizes[s].label};
            benchmark::RegisterBenchmark(name.c_str(), [s, &command](benchmark::State& state) {
                const Text& text = Inputs()[s];
                for (auto _ : state) benchmark::DoNotOptimize(command.run(text));
                state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size() * 2));
            })
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
}

// Timing code that gives wrong results would mean nothing: the fast commands
// must give what the literal rules give, unit for unit, on the smallest input.
bool ResultsMatchTheRules() {
    const Text& text = Inputs().front();
    struct Check {
        const char* name;
        bool same;
    };
    const Check checks[] = {
        {"CompressedSpaces", CompressedSpaces(text) == reference::CompressSpaces(text)},
        {"ColumnWrapped", ColumnWrapped(text) == reference::ColumnWrap(text)},
        {"ReplaceAll", ReplaceAll(text, u"  ", u" ") == reference::ReplaceAll(text, u"  ", u" ")},
        {"CountOccurrences", CountOccurrences(text, u"  ") == reference::CountOccurrences(text, u"  ")},
        {"EncodeUtf8", EncodeUtf8(text) == reference::EncodeUtf8(text)},
    };
    bool all = true;
    for (const Check& check : checks) {
        if (!check.same) std::printf("WRONG RESULT: %s differs from the literal rules on the 1Mi input\n", check.name);
        all = all && check.same;
    }
    if (all)
        std::printf("results: CompressedSpaces, ColumnWrapped, ReplaceAll, CountOccurrences and EncodeUtf8 give\n"
                    "the literal rules' results on the 1Mi input\n\n");
    return all;
}

// Peak bytes above the level before the call, by command and size label.
std::map<std::string, std::map<std::string, size_t>> MeasurePeaks() {
    std::map<std::string, std::map<std::string, size_t>> peaks;
    for (size_t s = 0; s < std::size(Sizes); ++s) {
        const Text& text = Inputs()[s];
        for (const Command& command : Commands()) {
            size_t sink = 0;
            peaks[command.name][Sizes[s].label] = heap::PeakAbove([&] { sink = command.run(text); });
            benchmark::DoNotOptimize(sink);
        }
    }
    return peaks;
}

const double* Find(const std::string& command, const std::string& size) {
    auto c = medians.find(command);
    if (c == medians.end()) return nullptr;
    auto t = c->second.find(size);
    return t == c->second.end() ? nullptr : &t->second;
}

void PrintProfile() {
    const TextProfile p = ProfileOf(Inputs().back());
    std::printf("input (16Mi; the smaller sizes are its prefixes): %zu lines, %zu blank, longest %zu units; "
                "%.1f%% spaces, longest run %zu; %.2f%% TABs; %.1f%% Cyrillic; %zu surrogates\n\n",
                p.lines, p.blankLines, p.longestLine, 100.0 * p.spaces / p.units, p.longestSpaceRun,
                100.0 * p.tabs / p.units, 100.0 * p.cyrillic / p.units, p.surrogates);
}

void PrintTable(const std::map<std::string, std::map<std::string, size_t>>& peaks) {
    std::printf("\nResults: median wall time of the repetitions; MB/s counts 2 bytes per code unit, "
                "1 MB = 10^6 bytes;\nx copy = time / time of one plain copy of the same text in this run;\n"
                "peak = most bytes live through operator new during one call, above what was live before it\n"
                "(the input excluded, the result included), and that peak over the text's size in bytes.\n\n");
    std::printf("%-18s %5s %11s %10s %8s %11s %7s\n", "command", "size", "time ms", "MB/s", "x copy", "peak MB",
                "x text");
    for (const Command& command : Commands()) {
        for (const Size& size : Sizes) {
            const double* t = Find(command.name, size.label);
            const double* copy = Find(CopyName, size.label);
            const double bytes = static_cast<double>(size.units) * 2;
            const size_t peak = peaks.at(command.name).at(size.label);
            if (t == nullptr) {
                std::printf("%-18s %5s %11s\n", command.name, size.label, "not run");
                continue;
            }
            std::printf("%-18s %5s %11.3f %10.0f ", command.name, size.label, *t / 1e6, bytes / (*t / 1e9) / 1e6);
            if (copy != nullptr) std::printf("%8.2f ", *t / *copy);
            else std::printf("%8s ", "-");
            std::printf("%11.1f %7.2f\n", peak / 1e6, peak / bytes);
        }
    }
}

struct Check {
    std::string what;
    std::string measured;
    std::string limit;
    enum { Pass, Fail, Skip } outcome;
};

std::string Format(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::vector<Check> CheckTargets(const std::map<std::string, std::map<std::string, size_t>>& peaks) {
    std::vector<Check> checks;
    auto ratio = [&](const std::string& what, const double* top, const double* bottom, double limit) {
        if (top == nullptr || bottom == nullptr) {
            checks.push_back({what, "not measured", Format("<= %.0f", limit), Check::Skip});
            return;
        }
        const double value = *top / *bottom;
        checks.push_back(
            {what, Format("%.2f", value), Format("<= %.0f", limit), value <= limit ? Check::Pass : Check::Fail});
    };
    for (const Command& command : Commands()) {
        if (command.name == std::string(CopyName)) continue;
        const std::string what = std::string(command.name) + " 16Mi / 1Mi time";
        ratio(what, Find(command.name, "16Mi"), Find(command.name, "1Mi"), 20);
    }
    ratio("CompressedSpaces 16Mi / copy", Find("CompressedSpaces", "16Mi"), Find(CopyName, "16Mi"), 6);
    ratio("ColumnWrapped 16Mi / copy", Find("ColumnWrapped", "16Mi"), Find(CopyName, "16Mi"), 12);
    const double textBytes = 16.0 * Mi * 2;
    const double peak = static_cast<double>(peaks.at("ColumnWrapped").at("16Mi"));
    checks.push_back({"ColumnWrapped 16Mi peak / text bytes", Format("%.2f", peak / textBytes), "< 5",
                      peak < 5 * textBytes ? Check::Pass : Check::Fail});
    return checks;
}

// glibc hands blocks of 32 MB and more straight back to the system, so every
// 16Mi result would land in fresh pages and pay their first-touch faults,
// which can cost more than the copy itself and vary from run to run, while
// the smaller sizes reuse warm memory. Keeping freed memory in the process
// times every size and the copy alike on warm memory. The cost of fresh pages
// is measured once and printed beside.
bool KeepFreedMemory() {
#if defined(__GLIBC__)
    return mallopt(M_MMAP_MAX, 0) == 1 && mallopt(M_TRIM_THRESHOLD, -1) == 1;
#else
    return false;
#endif
}

double MillisecondsOfOneCopy(TextView text) {
    const auto start = std::chrono::steady_clock::now();
    Text copy(text);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    const bool warm = KeepFreedMemory();
    // Defaults that the command line can override: later flags win. The
    // repetitions of all benchmarks run interleaved in random order, so that
    // the machine's other work weighs on every size and on the copy alike,
    // instead of on whichever ran while it was busy.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=7";
    std::string minTime = "--benchmark_min_time=0.2";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    std::string aggregates = "--benchmark_display_aggregates_only=true";
    args.insert(args.begin() + 1, {repetitions.data(), minTime.data(), interleave.data(), aggregates.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;

    Text largest = SampleClipboardText(Sizes[std::size(Sizes) - 1].units, Seed);
    // Nothing of that size has been freed yet: this copy lands in fresh pages.
    const double cold = MillisecondsOfOneCopy(largest);
    const double reused = MillisecondsOfOneCopy(largest);
    for (const Size& size : Sizes) Inputs().emplace_back(largest.substr(0, size.units));
    largest = Text();
    PrintProfile();
    if (warm) {
        std::printf("memory: freed memory stays in the process, so the timings reuse warm pages; the first copy of\n"
                    "the 16Mi text into fresh pages took %.1f ms, the next one %.1f ms\n\n",
                    cold, reused);
    } else {
        std::printf("memory: the allocator's own policy (fresh pages for large blocks may be timed)\n\n");
    }

    if (!ResultsMatchTheRules()) return 1;
    const auto peaks = MeasurePeaks();
    Register();
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    PrintTable(peaks);
    std::printf("\nTargets:\n");
    bool failed = false;
    for (const Check& check : CheckTargets(peaks)) {
        const char* outcome = check.outcome == Check::Pass ? "PASS" : check.outcome == Check::Fail ? "FAIL" : "SKIP";
        std::printf("  %-4s  %-40s %12s  (target %s)\n", outcome, check.what.c_str(), check.measured.c_str(),
                    check.limit.c_str());
        failed = failed || check.outcome == Check::Fail;
    }
    std::printf("\n%s\n", failed ? "Some targets were missed." : "Every measured target was met.");
    return failed ? 1 : 0;
}
