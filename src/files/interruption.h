#pragma once
#include <string>

// The signals that end a run from outside (SIGINT, SIGTERM, SIGHUP of a closed terminal,
// SIGQUIT, SIGPIPE of a reader gone away) are noted rather than ending the process at once
// while it writes files, so that the run stops at its next step, removes its temporary files
// and says why.
void CatchInterruptions();
// 0 until a caught signal arrives, then its number.
int InterruptingSignal();
// For the FFmpeg libraries' I/O: nonzero once a caught signal has arrived, which makes
// their reads and writes give up.
int IsInterrupted(void* unused);
// The signal's name as the shell's `kill -l` gives it, after "SIG" ("SIGHUP").
std::string SignalName(int signal);
