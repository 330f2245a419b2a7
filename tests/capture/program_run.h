#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

// The program run as a user runs it, its output kept in files beside each other.
struct ProgramRun {
    pid_t pid = -1;
    std::string outPath;
    std::string errPath;
    int status = -1;  // the exit status, or 128 + the signal that ended it
};

// Starts the program with `args`; `fileSizeLimit` > 0 caps the size of every file it writes
// (as `ulimit -f` does), so that a write fails as on a full disk.
ProgramRun StartProgram(const std::vector<std::string>& args, const std::string& outputDir,
                        long fileSizeLimit = 0);
// Waits for it to end and returns its status.
int WaitForProgram(ProgramRun& run);
// Starts, waits, and returns the finished run.
ProgramRun RunProgram(const std::vector<std::string>& args, const std::string& outputDir,
                      long fileSizeLimit = 0);
