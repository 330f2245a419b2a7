#include "files/interruption.h"

#include <csignal>
#include <cstring>

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
    const char* abbreviation = sigabbrev_np(signal);
    return abbreviation != nullptr ? std::string("SIG") + abbreviation : "signal " + std::to_string(signal);
}
