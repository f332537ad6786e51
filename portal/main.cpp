// quillmere-demo-portal: runs the embedded demo portal on its own, for trying the program
// against a fixed port and for end-to-end tests (which read the request log file).

#include <signal.h>
#include <sys/time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "portal/DemoPortal.h"

namespace {

constexpr const char* kUsage =
    "usage: quillmere-demo-portal [--port N] [--webmail-port N] [--log FILE] [--max-seconds S]\n"
    "\n"
    "Serves the demo portal and its web-mail stub on 127.0.0.1 until interrupted.\n"
    "  --port N          portal port (default: any free port)\n"
    "  --webmail-port N  web-mail stub port (default: any free port)\n"
    "  --log FILE        append one line per request to FILE; if it cannot be written, say so\n"
    "                    and exit with status 1\n"
    "  --max-seconds S   stop by itself after S seconds\n"
    "  --help            show this text\n";

int BadArguments(const std::string& message) {
    std::fprintf(stderr, "quillmere-demo-portal: %s\n%s", message.c_str(), kUsage);
    return 2;
}

bool ParseNumber(const char* text, double low, double high, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
    portal::Options options;
    double maxSeconds = 0;  // 0 = run until a signal
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg != "--port" && arg != "--webmail-port" && arg != "--log" &&
            arg != "--max-seconds") {
            return BadArguments("unknown argument '" + std::string(arg) + "'");
        }
        if (i + 1 >= argc) return BadArguments(std::string(arg) + " needs a value");
        const char* value = argv[++i];
        double number = 0;
        if (arg == "--log") {
            if (*value == '\0') return BadArguments("--log needs a file name");
            options.logFile = value;
        } else if (arg == "--max-seconds") {
            if (!ParseNumber(value, 0, 1e9, number) || number <= 0) {
                return BadArguments("--max-seconds needs a positive number of seconds");
            }
            maxSeconds = number;
        } else {
            if (!ParseNumber(value, 0, 65535, number) || number != static_cast<int>(number)) {
                return BadArguments(std::string(arg) + " needs a port number from 0 to 65535");
            }
            (arg == "--port" ? options.port : options.webmailPort) = static_cast<int>(number);
        }
    }

    // The process waits for SIGINT, SIGTERM or (with --max-seconds) a one-shot SIGALRM, all taken
    // synchronously by sigwait below. They are blocked before the server threads start so that
    // those threads inherit the mask and never receive them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGALRM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    // A log that cannot be written is said at once, and again in the exit status.
    options.onLogError = [](const std::string& reason) {
        std::fprintf(stderr, "quillmere-demo-portal: %s\n", reason.c_str());
    };
    portal::DemoPortal server(options);
    std::string error;
    if (!server.Start(&error)) {
        std::fprintf(stderr, "quillmere-demo-portal: %s\n", error.c_str());
        return 1;
    }
    std::printf("listening on %s webmail %s\n", server.BaseUrl().c_str(),
                server.WebmailHost().c_str());
    std::fflush(stdout);

    if (maxSeconds > 0) {
        const auto micros = static_cast<long long>(maxSeconds * 1e6);
        itimerval timer{};
        timer.it_value.tv_sec = static_cast<time_t>(micros / 1000000);
        timer.it_value.tv_usec = static_cast<suseconds_t>(micros % 1000000);
        if (timer.it_value.tv_sec == 0 && timer.it_value.tv_usec == 0) timer.it_value.tv_usec = 1;
        setitimer(ITIMER_REAL, &timer, nullptr);
    }
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    return server.LogError().empty() ? 0 : 1;
}
