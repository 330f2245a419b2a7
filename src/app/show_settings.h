#pragma once
#include "app/options.h"
#include "app/show.h"

// The data directory and seed a run uses: the seed given, else the calendar time when the
// show is played and 0 in the headless modes, so that their frames repeat. The script and
// music files as given; only the played show reloads its script on a save.
ShowSettings SettingsFor(const Options& options);
