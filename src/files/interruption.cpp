#include "files/interruption.h"

#include <csignal>

namespace {

// Written by the signal handler only: the one thing it may safely do.
volatile std::sig_atomic_t caughtSignal = 0;

void NoteSignal(int signal) {
    caughtSignal = signal;
}

}  // namespace

void CatchInterruptions() {
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE}) {
        sigaction(signal, &action, nullptr);
    }
}

int InterruptingSignal() {
    return caughtSignal;
}

int IsInterrupted(void*) {
    return caughtSignal != 0;
}

std::string SignalName(int signal) {
    // The caught signals by name: the C library's own table of names is not portable.
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        case SIGQUIT:
            return "SIGQUIT";
        case SIGPIPE:
            return "SIGPIPE";
        default:
            return "signal " + std::to_string(signal);
    }
}
