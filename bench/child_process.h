#pragma once
// Starting the programs under measurement: where they are, the environment they get, and a
// child process whose output is kept aside so that it can be shown when the child fails.

#include <sys/types.h>

#include <string>
#include <vector>

namespace bench {

// The folder holding the running executable (the build's bin folder, where every program of
// the project lands).
std::string ExecutableDir();

// This process's environment with QT_QPA_PLATFORM=offscreen, and XDG_CONFIG_HOME pointed at an
// empty folder so that no user settings file (which may name a portal) changes what is measured.
// The folder is made on the first call and removed at exit.
const std::vector<std::string>& ChildEnvironment();

// The same for programs that start the web engine: its sandbox off when running as root (it
// refuses to start there), and QUILLMERE_TRACE set so that Quillmere says when its engine warms.
const std::vector<std::string>& EngineChildEnvironment();

// A started program. Its standard output and error go to an in-memory file.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child();

    // Starts `path` with `args` (not counting argv[0]) and `env`. False, with `error` set, when
    // the program could not be started.
    bool Start(const std::string& path, const std::vector<std::string>& args,
               const std::vector<std::string>& env, std::string* error);
    // Blocks until the child ends; returns its wait status.
    int Wait();
    // Whether the child is still running; false once it has ended (and been reaped).
    bool Running();
    pid_t pid() const { return mPid; }
    int status() const { return mStatus; }
    // All that the child wrote, up to the last 4 KiB.
    std::string Output() const;

private:
    pid_t mPid = -1;
    int mStatus = 0;
    int mOutputFd = -1;
};

// "exit code N" or "killed by signal N".
std::string DescribeStatus(int status);

}  // namespace bench
