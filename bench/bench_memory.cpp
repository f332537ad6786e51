// Memory: the proportional set size (PSS, from /proc/PID/smaps_rollup) of a program's whole
// process tree, the program and every web engine process it started, read once the program
// says it is ready:
//   - five tool windows of Quillmere showing one portal page each, against one QWebEngineView
//     showing one page (goal: at most 1.5 times);
//   - Quillmere's main window, idle before any page (measured as the engine warm-up begins,
//     before any engine process), against the plain Qt window with 40 labels of bench_startup
//     (goal: at most 1.3 times); and idle once the engine has warmed up, for the record.
// Each case runs a few times; the figures are medians.

#include <benchmark/benchmark.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Rounds.h"
#include "child_process.h"

namespace {

using namespace std::chrono_literals;

constexpr int kRuns = 3;
constexpr auto kReadyWithin = 60s;

struct Case {
    std::string name;
    std::string program;
    std::vector<std::string> args;
    std::string ready;  // what the program prints once it is to be measured
    std::string label;
};

std::map<std::string, std::vector<double>> gMb;
bool gFailed = false;

pid_t ParentOf(const std::filesystem::path& procDir) {
    std::ifstream in(procDir / "stat");
    const std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    int ppid = -1;
    char state = 0;
    if (close == std::string::npos ||
        std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) != 2)
        return -1;
    return ppid;
}

// The PSS of `root` and all its descendants, in kB.
long TreePssKb(pid_t root) {
    std::map<pid_t, pid_t> parents;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        parents[std::stoi(name)] = ParentOf(entry.path());
    }
    std::set<pid_t> tree{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto& [pid, ppid] : parents)
            if (tree.count(ppid) && tree.insert(pid).second) grew = true;
    }
    long total = 0;
    for (pid_t pid : tree) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/smaps_rollup");
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("Pss:", 0) == 0) {
                total += std::atol(line.c_str() + 4);
                break;
            }
        }
    }
    return total;
}

// One run: the tree's PSS in MB once the program is ready, or a negative number.
double MeasureOnce(const Case& c, std::string* error) {
    bench::Child child;
    if (!child.Start(c.program, c.args, bench::EngineChildEnvironment(), error)) return -1;
    const auto until = std::chrono::steady_clock::now() + kReadyWithin;
    while (child.Output().find(c.ready) == std::string::npos) {
        if (!child.Running() || std::chrono::steady_clock::now() > until) {
            *error = c.name + " never said \"" + c.ready + "\"";
            std::fprintf(stderr, "%s; its output:\n%s\n", error->c_str(), child.Output().c_str());
            kill(child.pid(), SIGKILL);
            child.Wait();
            return -1;
        }
        std::this_thread::sleep_for(5ms);
    }
    const double mb = double(TreePssKb(child.pid())) / 1024.0;
    kill(child.pid(), SIGTERM);
    child.Wait();
    return mb;
}

void Memory(benchmark::State& state, const Case& c) {
    std::string error;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double mb = MeasureOnce(c, &error);
        if (mb < 0) {
            gFailed = true;
            state.SkipWithError(error.c_str());
            break;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        gMb[c.name].push_back(mb);
        state.counters["pss_mb"] = mb;
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
    const std::string bin = bench::ExecutableDir() + "/";
    const std::vector<Case> cases = {
        {"pages_anchor", bin + "memory-anchor", {}, "ready", "one QWebEngineView, one page"},
        {"pages", bin + "memory-quillmere", {}, "ready", "quillmere, five windows with a page"},
        {"idle_anchor", bin + "startup-anchor", {"--stay"}, "ready", "plain Qt window, 40 labels"},
        {"idle",
         bin + "quillmere",
         {"--portal", "http://127.0.0.1:9"},
         "quillmere: warming up the web engine",
         "quillmere main window, idle"},
        {"idle_warm",
         bin + "quillmere",
         {"--portal", "http://127.0.0.1:9"},
         "quillmere: web engine warm",
         "quillmere main window, engine warmed up"},
    };
    for (const Case& c : cases) {
        benchmark::RegisterBenchmark(("Memory/" + c.name).c_str(), Memory, c)
            ->Iterations(kRuns)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\nproportional set size of the process tree (median of %d runs):\n", kRuns);
    for (const Case& c : cases)
        std::printf("  %-44s %8.1f MB\n", c.label.c_str(), bench::Median(gMb[c.name]));
    const auto ratio = [](const char* a, const char* b) {
        const double anchor = bench::Median(gMb[b]);
        return anchor > 0 ? bench::Median(gMb[a]) / anchor : 0;
    };
    std::printf("memory ratio five windows/one view: %.2f (goal at most 1.5)\n",
                ratio("pages", "pages_anchor"));
    std::printf("memory ratio idle main window/plain window: %.2f (goal at most 1.3)\n",
                ratio("idle", "idle_anchor"));
    std::printf("memory ratio idle main window, engine warm/plain window: %.2f\n",
                ratio("idle_warm", "idle_anchor"));
    if (gFailed) {
        std::fprintf(stderr, "bench_memory: a program under measurement failed\n");
        return 1;
    }
    return 0;
}
