#pragma once
#include <string>
#include <vector>

#include "app/options.h"

// The files a run of these options writes, by name: the capture (every frame of a picture
// sequence), the frames of --render-frame, the hashes, the script of --dump-script. Standard
// output ("-") is none of them.
std::vector<std::string> OutputFilesOf(const Options& options);

// The first of those names that exists as a regular file (or a link to one), which the run
// would replace; "" if none does, or if -y allows replacing them. Devices and FIFOs are
// written, never replaced, so they are no reason to stop.
std::string FirstReplacedOutput(const Options& options);

// The first output that cannot be written, found before any work, as "NAME: reason": a name
// the file system cannot take, a folder in the way, a link that leads round in a loop, an mp4
// capture to a pipe. "" if there is none.
std::string FirstOutputProblem(const Options& options);
