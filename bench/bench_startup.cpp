// Start-up time: from starting the process to the main window's first paint (the programs exit
// right after it), for Quillmere and for a plain Qt Widgets window of the same size, in one run.
// Prints the ratio of the means at the end.

#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

constexpr int kIterations = 20;
// Nothing listens on the discard port, and nothing is fetched before the first paint anyway:
// the address only keeps the embedded demo portal from starting.
constexpr const char* kNoPortal = "http://127.0.0.1:9";

struct Case {
    std::string name;
    std::string program;
    std::vector<std::string> args;
    std::string label;
};

struct Samples {
    std::vector<double> seconds;
    double Mean() const {
        double sum = 0;
        for (double s : seconds) sum += s;
        return seconds.empty() ? 0 : sum / static_cast<double>(seconds.size());
    }
    double Median() const {
        if (seconds.empty()) return 0;
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        const size_t n = sorted.size();
        return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    }
};

std::map<std::string, Samples> gSamples;
bool gFailed = false;

// Runs the program once to its end; returns the wall time in seconds, or a negative number
// (after saying why on stderr) when it could not start or did not exit with code 0.
double RunOnce(const Case& c, std::string* error) {
    bench::Child child;
    const auto start = std::chrono::steady_clock::now();
    if (!child.Start(c.program, c.args, bench::ChildEnvironment(), error)) return -1;
    const int status = child.Wait();
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = c.name + " ended with " + bench::DescribeStatus(status);
        std::fprintf(stderr, "%s; its output:\n%s\n", error->c_str(), child.Output().c_str());
        return -1;
    }
    return std::chrono::duration<double>(end - start).count();
}

void StartUp(benchmark::State& state, const Case& c) {
    std::string error;
    // One untimed run first: the first start of a program after a build pays for reading its
    // libraries from disk, which the other runs do not.
    if (RunOnce(c, &error) < 0) {
        gFailed = true;
        state.SkipWithError(error.c_str());
        return;
    }
    Samples& samples = gSamples[c.name];
    for (auto _ : state) {
        const double seconds = RunOnce(c, &error);
        if (seconds < 0) {
            gFailed = true;
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(seconds);
        samples.seconds.push_back(seconds);
    }
    const auto anchor = gSamples.find("anchor");
    if (c.name != "anchor" && anchor != gSamples.end() && anchor->second.Mean() > 0)
        state.counters["vs_anchor"] = samples.Mean() / anchor->second.Mean();
}

void PrintSummary(const std::vector<Case>& cases) {
    const auto anchor = gSamples.find("anchor");
    std::printf("\nstart-up to first paint (mean / median over %d runs):\n", kIterations);
    for (const Case& c : cases) {
        const auto it = gSamples.find(c.name);
        if (it == gSamples.end() || it->second.seconds.empty()) continue;
        std::printf("  %-40s %8.1f ms / %8.1f ms\n", c.label.c_str(), it->second.Mean() * 1e3,
                    it->second.Median() * 1e3);
    }
    if (anchor == gSamples.end() || anchor->second.Mean() <= 0) return;
    const auto ratio = [&](const char* name, const char* title) {
        const auto it = gSamples.find(name);
        if (it == gSamples.end() || it->second.seconds.empty()) return;
        std::printf("%s: %.2f (medians: %.2f)\n", title, it->second.Mean() / anchor->second.Mean(),
                    it->second.Median() / anchor->second.Median());
    };
    ratio("quillmere", "startup ratio quillmere/anchor");
    ratio("quillmere_demo_portal", "startup ratio quillmere with demo portal/anchor");
    ratio("anchor_webengine", "startup ratio anchor linked to web engine/anchor");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;

    const std::string bin = bench::ExecutableDir() + "/";
    const std::vector<Case> cases = {
        {"anchor", bin + "startup-anchor", {}, "anchor (plain Qt Widgets)"},
        {"quillmere",
         bin + "quillmere",
         {"--quit-after-first-paint", "--portal", kNoPortal},
         "quillmere --portal (no demo portal)"},
        {"quillmere_demo_portal",
         bin + "quillmere",
         {"--quit-after-first-paint"},
         "quillmere with the demo portal"},
        // A diagnostic case: the anchor linked to the web engine library, which tells how much
        // of the difference is the loading of that library alone.
        {"anchor_webengine",
         bin + "startup-anchor-webengine",
         {},
         "anchor linked to the web engine library"},
    };
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark(("StartUp/" + c.name).c_str(), StartUp, c)
            ->Iterations(kIterations)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    const size_t ran = benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (ran == 0) return 2;
    PrintSummary(cases);
    if (gFailed) {
        std::fprintf(stderr, "bench_startup: a program under measurement failed\n");
        return 1;
    }
    return 0;
}
