#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern char** environ;

namespace bench {

namespace {

constexpr off_t kOutputTail = 4096;

std::string gConfigDir;

void RemoveConfigDir() {
    std::error_code ignored;
    if (!gConfigDir.empty()) std::filesystem::remove_all(gConfigDir, ignored);
}

bool Overridden(const std::string& entry) {
    return entry.starts_with("QT_QPA_PLATFORM=") || entry.starts_with("XDG_CONFIG_HOME=");
}

}  // namespace

std::string ExecutableDir() {
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

const std::vector<std::string>& ChildEnvironment() {
    static const std::vector<std::string> env = [] {
        std::vector<std::string> out;
        for (char** e = environ; *e; ++e) {
            if (!Overridden(*e)) out.emplace_back(*e);
        }
        out.emplace_back("QT_QPA_PLATFORM=offscreen");
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quillmere-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            gConfigDir = pattern;
            std::atexit(RemoveConfigDir);
            out.emplace_back("XDG_CONFIG_HOME=" + gConfigDir);
        }
        return out;
    }();
    return env;
}

Child::~Child() {
    if (mPid > 0) {
        kill(mPid, SIGKILL);
        waitpid(mPid, nullptr, 0);
    }
    if (mOutputFd >= 0) close(mOutputFd);
}

bool Child::Start(const std::string& path, const std::vector<std::string>& args,
                  const std::vector<std::string>& env, std::string* error) {
    mOutputFd = memfd_create("child-output", MFD_CLOEXEC);
    if (mOutputFd < 0) {
        *error = std::string("memfd_create: ") + std::strerror(errno);
        return false;
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, mOutputFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, mOutputFd, STDERR_FILENO);
    const int rc = posix_spawn(&mPid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        mPid = -1;
        *error = "cannot start " + path + ": " + std::strerror(rc);
        return false;
    }
    return true;
}

int Child::Wait() {
    if (mPid <= 0) return mStatus;
    while (waitpid(mPid, &mStatus, 0) < 0 && errno == EINTR) {
    }
    mPid = -1;
    return mStatus;
}

bool Child::Running() {
    if (mPid <= 0) return false;
    const pid_t r = waitpid(mPid, &mStatus, WNOHANG);
    if (r == 0) return true;
    mPid = -1;
    return false;
}

std::string Child::Output() const {
    if (mOutputFd < 0) return {};
    const off_t size = lseek(mOutputFd, 0, SEEK_END);
    if (size <= 0) return {};
    const off_t from = size > kOutputTail ? size - kOutputTail : 0;
    std::string text(static_cast<size_t>(size - from), '\0');
    const ssize_t got = pread(mOutputFd, text.data(), text.size(), from);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return "wait status " + std::to_string(status);
}

}  // namespace bench

namespace bench {

const std::vector<std::string>& EngineChildEnvironment() {
    static const std::vector<std::string> env = [] {
        std::vector<std::string> e = ChildEnvironment();
        if (geteuid() == 0) e.emplace_back("QTWEBENGINE_DISABLE_SANDBOX=1");
        e.emplace_back("QUILLMERE_TRACE=1");
        return e;
    }();
    return env;
}

}  // namespace bench
