#pragma once
#include <sys/types.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The program under test, started as a child process with its output in files.
struct ChildProcess {
    pid_t pid = -1;
    std::string stdoutPath;
    std::string stderrPath;
    ~ChildProcess();  // kills the child if it still runs, so no test leaves one behind
};

struct LaunchSettings {
    std::vector<std::string> args;                            // args[0] is the program's path
    std::vector<std::pair<std::string, std::string>> setEnv;  // variables to set
    std::vector<std::string> unsetEnv;                        // variables to remove
    std::string workDir;
};

void StartChild(ChildProcess& child, const LaunchSettings& launch, const std::string& outputPrefix);
// The exit status, or nothing if the child still runs after `seconds`.
std::optional<int> WaitForExit(ChildProcess& child, double seconds);
std::string ReadTextFile(const std::string& path);
