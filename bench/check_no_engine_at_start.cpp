// Checks that starting Quillmere starts no web engine process before its main window has
// painted: the engine is brought up afterwards, once the program is idle (it says so on
// standard error with QUILLMERE_TRACE set, before any engine process starts), or by the first
// navigation. Starts the program against an address where no portal runs, watches its
// QtWebEngineProcess children until the warm-up begins or the time is up, and ends it. Exits 1
// when an engine process ran before the warm-up, or when the warm-up never came.

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "child_process.h"

namespace {

using namespace std::chrono_literals;

constexpr auto kSettle = 10s;
constexpr const char* kWarming = "quillmere: warming up the web engine";
constexpr auto kPoll = 50ms;
constexpr auto kTermGrace = 5s;
constexpr const char* kEngineProcess = "QtWebEngineProcess";
constexpr size_t kCommLength = 15;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The parent pid from /proc/PID/stat; -1 when the process is gone. The command name, in
// parentheses, may itself hold spaces and parentheses, so the fields are read after the last ')'.
pid_t ParentOf(const std::filesystem::path& procDir) {
    const std::string stat = ReadFile(procDir / "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    char state = 0;
    int ppid = -1;
    if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) != 2) return -1;
    return ppid;
}

// The children of `parent` that are web engine processes. The command name is cut to 15
// characters by the kernel, so the command line is looked at too.
int CountEngineChildren(pid_t parent) {
    int count = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (ParentOf(entry.path()) != parent) continue;
        std::string comm = ReadFile(entry.path() / "comm");
        comm = comm.substr(0, comm.find('\n'));
        std::string cmdline = ReadFile(entry.path() / "cmdline");
        std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
        if (comm == std::string(kEngineProcess).substr(0, kCommLength) ||
            cmdline.find(kEngineProcess) != std::string::npos) {
            std::printf("  engine process %s: %s\n", name.c_str(), cmdline.c_str());
            ++count;
        }
    }
    return count;
}

bool Alive(bench::Child& child) {
    return child.Running() && std::filesystem::exists("/proc/" + std::to_string(child.pid()));
}

}  // namespace

int main() {
    const std::string program = bench::ExecutableDir() + "/quillmere";
    bench::Child child;
    std::string error;
    std::vector<std::string> env = bench::ChildEnvironment();
    env.emplace_back("QUILLMERE_TRACE=1");
    if (!child.Start(program, {"--portal", "http://127.0.0.1:9"}, env, &error)) {
        std::fprintf(stderr, "check_no_engine_at_start: %s\n", error.c_str());
        return 1;
    }
    const pid_t pid = child.pid();
    const auto until = std::chrono::steady_clock::now() + kSettle;
    int early = 0;
    bool warming = false;
    while (!warming && std::chrono::steady_clock::now() < until) {
        if (!Alive(child)) {
            std::fprintf(stderr,
                         "check_no_engine_at_start: quillmere ended early (%s); its output:\n%s\n",
                         bench::DescribeStatus(child.status()).c_str(), child.Output().c_str());
            return 1;
        }
        // Counted first: an engine process seen now, with the warm-up not yet announced, came
        // before it.
        const int engines = CountEngineChildren(pid);
        warming = child.Output().find(kWarming) != std::string::npos;
        if (!warming) early = std::max(early, engines);
        std::this_thread::sleep_for(kPoll);
    }
    std::printf("web engine processes before the warm-up: %d\n", early);
    std::printf("warm-up after the first paint: %s\n", warming ? "yes" : "no");
    const int status = early > 0 || !warming ? 1 : 0;

    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + kTermGrace;
    while (child.Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(kPoll);
    if (child.Running()) {
        std::fprintf(stderr, "check_no_engine_at_start: quillmere ignored SIGTERM; killing it\n");
        kill(pid, SIGKILL);
        child.Wait();
    }
    return status;
}
