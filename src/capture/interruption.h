#pragma once

// SIGINT and SIGTERM during a capture are noted rather than ending the process at once,
// so that the capture stops at its next step, removes its temporary file and says why.
void CatchInterruptions();
// 0 until a caught signal arrives, then its number.
int InterruptingSignal();
// For the FFmpeg libraries' I/O: nonzero once a caught signal has arrived, which makes
// their reads and writes give up.
int IsInterrupted(void* unused);
