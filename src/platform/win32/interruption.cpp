#include "files/interruption.h"

#include <csignal>

// Windows' C library raises only SIGINT (Ctrl+C) and SIGTERM of the signals that end a run
// from outside; they are noted as on Linux, so that a run stops at its next step and removes
// its temporary files.
namespace {

volatile std::sig_atomic_t caughtSignal = 0;

void NoteSignal(int signal) {
    caughtSignal = signal;
    std::signal(signal, NoteSignal);  // the C library resets the handler before calling it
}

}  // namespace

void CatchInterruptions() {
    for (int signal : {SIGINT, SIGTERM}) {
        std::signal(signal, NoteSignal);
    }
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
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        default:
            return "signal " + std::to_string(signal);
    }
}
