#pragma once
#include "app/options.h"

// Plays the show in a window with sound, as the options ask; returns the exit status.
int PlayShow(const Options& options);
