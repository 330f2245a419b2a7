#pragma once
#include "app/options.h"

// --benchmark: runs every pass of the show with the fixed-step clock, no window and no
// sound, and prints the mean and median milliseconds of each step of a pass (the landscape
// per view), then the passes and their rate. Returns the exit status.
int RunBenchmark(const Options& options);
