#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace {

[[noreturn]] void RunInChild(const ChildProcess& child, const LaunchSettings& launch) {
    for (const auto& [name, value] : launch.setEnv) {
        setenv(name.c_str(), value.c_str(), 1);
    }
    for (const auto& name : launch.unsetEnv) {
        unsetenv(name.c_str());
    }
    if (!launch.workDir.empty() && chdir(launch.workDir.c_str()) != 0) {
        _exit(127);
    }
    const int out = open(child.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(child.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv;
    for (const auto& arg : launch.args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

ChildProcess::~ChildProcess() {
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

void StartChild(ChildProcess& child, const LaunchSettings& launch, const std::string& outputPrefix) {
    child.stdoutPath = outputPrefix + ".stdout";
    child.stderrPath = outputPrefix + ".stderr";
    child.pid = fork();
    if (child.pid < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child.pid == 0) {
        RunInChild(child, launch);
    }
}

std::optional<int> WaitForExit(ChildProcess& child, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (true) {
        int status = 0;
        if (waitpid(child.pid, &status, WNOHANG) == child.pid) {
            child.pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::string ReadTextFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
