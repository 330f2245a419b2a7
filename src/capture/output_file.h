#pragma once
#include <string>

// A file written under a temporary name in its target's folder and renamed to the target
// only when complete, so that the target never holds a partial file.
struct OutputFile {
    std::string target;
    std::string temporary;  // empty once renamed or removed
};

bool IsDirectory(const std::string& path);

// Checks that the target can be written (its folder exists and takes files, the target
// is not a directory) and creates the temporary. Returns "" or the reason it cannot.
std::string ReserveOutputFile(OutputFile& file, const std::string& target);
// Renames the temporary to the target. Returns "" or the reason it failed.
std::string CommitOutputFile(OutputFile& file);
// Removes the temporary, if there is one.
void DiscardOutputFile(OutputFile& file);
