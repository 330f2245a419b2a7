#include "capture/interruption.h"

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
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int InterruptingSignal() {
    return caughtSignal;
}

int IsInterrupted(void*) {
    return caughtSignal != 0;
}
