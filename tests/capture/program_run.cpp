#include "capture/program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

ProgramRun StartProgram(const std::vector<std::string>& args, const std::string& outputDir,
                        long fileSizeLimit) {
    ProgramRun run;
    run.outPath = outputDir + "/stdout.txt";
    run.errPath = outputDir + "/stderr.txt";
    std::vector<char*> argv;
    std::string program = VOXELSHOW_PROGRAM;
    argv.push_back(program.data());
    std::vector<std::string> words = args;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    run.pid = fork();
    if (run.pid < 0) {
        throw std::runtime_error("cannot start the program");
    }
    if (run.pid == 0) {
        const int out = open(run.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(run.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        if (fileSizeLimit > 0) {
            const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    return run;
}

int WaitForProgram(ProgramRun& run) {
    int status = 0;
    if (waitpid(run.pid, &status, 0) != run.pid) {
        throw std::runtime_error("lost the program");
    }
    run.pid = -1;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run.status;
}

ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& outputDir,
                      long fileSizeLimit) {
    ProgramRun run = StartProgram(args, outputDir, fileSizeLimit);
    WaitForProgram(run);
    return run;
}
