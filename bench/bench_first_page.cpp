// The first page a person asks for: from a click on a tool window's load button to the pane's
// first drawing of the page (a local page), for Quillmere with the engine warmed up while idle
// and with the engine not started (cold), against a plain Qt program that shows a QWebEngineView
// and loads the same page on a click. Each iteration is one run of a program, which measures
// and prints its own click-to-paint time. The cases alternate in rounds, so that drift in the
// machine's speed hits them all; the ratios are taken between medians.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Rounds.h"
#include "child_process.h"

namespace {

constexpr int kRounds = 3;
constexpr int kIterations = 4;

struct Case {
    std::string name;
    std::string program;
    std::vector<std::string> args;
    std::string label;
};

std::map<std::string, std::vector<double>> gMs;
bool gFailed = false;

// One run; the program's own measure in milliseconds, or a negative number after saying why.
double RunOnce(const Case& c, std::string* error) {
    bench::Child child;
    if (!child.Start(c.program, c.args, bench::EngineChildEnvironment(), error)) return -1;
    const int status = child.Wait();
    const std::string out = child.Output();
    const size_t at = out.find("click-to-paint-ms ");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos) {
        *error = c.name + " ended with " + bench::DescribeStatus(status);
        std::fprintf(stderr, "%s; its output:\n%s\n", error->c_str(), out.c_str());
        return -1;
    }
    return std::atof(out.c_str() + at + 18);
}

void FirstPage(benchmark::State& state, const Case& c) {
    std::string error;
    for (auto _ : state) {
        const double ms = RunOnce(c, &error);
        if (ms < 0) {
            gFailed = true;
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(ms / 1e3);
        gMs[c.name].push_back(ms);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    const std::string bin = bench::ExecutableDir() + "/";
    // The anchor waits as long before its click as the warm case (250 ms idle, then 2 s).
    const std::vector<Case> cases = {
        {"anchor", bin + "first-page-anchor", {"2250"}, "anchor (plain QWebEngineView)"},
        {"warm", bin + "first-page-quillmere", {"warm", "2000"}, "quillmere, engine warm"},
        {"cold", bin + "first-page-quillmere", {"cold"}, "quillmere, engine not started"},
    };
    // One untimed run of each first: the first start after a build reads the libraries from disk.
    for (const Case& c : cases) {
        std::string error;
        if (RunOnce(c, &error) < 0) return 1;
    }
    for (int round = 1; round <= kRounds; ++round) {
        for (const Case& c : cases) {
            benchmark::RegisterBenchmark(
                ("FirstPage/" + c.name + "/round" + std::to_string(round)).c_str(), FirstPage, c)
                ->Iterations(kIterations)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nclick to first paint of the page (median of %d runs):\n", kRounds * kIterations);
    for (const Case& c : cases)
        std::printf("  %-36s %8.1f ms\n", c.label.c_str(), bench::Median(gMs[c.name]));
    const double anchor = bench::Median(gMs["anchor"]);
    if (anchor > 0) {
        std::printf("first page ratio warm/anchor: %.2f (goal at most 1.2)\n",
                    bench::Median(gMs["warm"]) / anchor);
        std::printf("first page ratio cold/anchor: %.2f\n", bench::Median(gMs["cold"]) / anchor);
    }
    if (gFailed) {
        std::fprintf(stderr, "bench_first_page: a program under measurement failed\n");
        return 1;
    }
    return 0;
}
