#pragma once
#include <string>

// "" if the system can make a file under `path`, or the reason it cannot, found from the name
// alone (and the folder's limits) so that a run is refused before any work rather than at the
// end: a name longer than the file system takes, characters it refuses, a symbolic link that
// leads round in a loop.
std::string OutputNameProblem(const std::string& path);
