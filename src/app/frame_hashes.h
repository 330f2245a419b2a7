#pragma once
#include "app/options.h"

// --hashes: runs every pass of the show with the fixed-step clock and no display, and writes
// one line "PASS HASH" per pass (FrameHash of the finished frame), so that two runs can be
// diffed to find the first pass that differs. Returns the exit status.
int WriteFrameHashes(const Options& options);
