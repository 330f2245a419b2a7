#include "files/interruption.h"

#include <windows.h>

#include <csignal>

// Windows ends a run from outside through its console's events: Ctrl+C, Ctrl+Break, the
// console window closed, the user logging off, the system shutting down. Each is noted, so
// that the run stops at its next step, removes its temporary files and says why, as a caught
// signal does on Linux. For the last three the system ends the process once the handler
// returns (or after some seconds): the handler holds on meanwhile, so that the run's own
// ending, which removes the temporaries, comes first. SIGTERM (raise) is noted too.
namespace {

// Console events are numbered apart from the C library's signals.
constexpr int EVENT_BASE = 1000;

volatile std::sig_atomic_t caughtSignal = 0;

void NoteSignal(int signal) {
    caughtSignal = signal;
    std::signal(signal, NoteSignal);  // the C library resets the handler before calling it
}

BOOL WINAPI NoteConsoleEvent(DWORD event) {
    caughtSignal = event == CTRL_C_EVENT ? SIGINT : EVENT_BASE + static_cast<int>(event);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        Sleep(INFINITE);  // the process ends when the run has cleaned up and returns
    }
    return TRUE;
}

}  // namespace

void CatchInterruptions() {
    SetConsoleCtrlHandler(NoteConsoleEvent, TRUE);
    std::signal(SIGTERM, NoteSignal);
}

int InterruptingSignal() {
    return caughtSignal;
}

int IsInterrupted(void*) {
    return caughtSignal != 0;
}

std::string SignalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "Ctrl+C";
        case SIGTERM:
            return "SIGTERM";
        case EVENT_BASE + CTRL_BREAK_EVENT:
            return "Ctrl+Break";
        case EVENT_BASE + CTRL_CLOSE_EVENT:
            return "the console's closing";
        case EVENT_BASE + CTRL_LOGOFF_EVENT:
            return "the user's logoff";
        case EVENT_BASE + CTRL_SHUTDOWN_EVENT:
            return "the system's shutdown";
        default:
            return "signal " + std::to_string(signal);
    }
}
