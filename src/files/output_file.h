#pragma once
#include <cstdio>
#include <string>

// Writing a file so that it appears whole or not at all: everything goes to a hidden
// temporary file in the target's folder (.NAME.part-XXXXXX), which is renamed to the target
// once every write and the close have succeeded, or removed on failure. A target that exists
// and is not a regular file (a device such as /dev/stdout, a FIFO) cannot be replaced, so it
// is written in place: its temporary is the target itself, committing it renames nothing and
// discarding it leaves it be. A symbolic link is followed: the file it leads to is the one
// replaced, and a replaced file keeps its permissions.
struct OutputFile {
    std::string target;
    std::string temporary;        // empty once committed or discarded
    std::FILE* stream = nullptr;  // open while a stdio writer writes the temporary
};

bool IsDirectory(const std::string& path);

// Checks that the target can be written (it is no directory, its folder takes files) and
// creates the temporary, for a writer that opens it by name. "" or the reason it cannot.
std::string ReserveOutputFile(OutputFile& file, const std::string& target);
// The same, and opens the temporary for writing in `stream`.
std::string OpenOutputFile(OutputFile& file, const std::string& target);
// Closes the stream if it is open and, if every write and the close succeeded, gives the
// temporary the target's name; otherwise removes it. "" or the reason it failed.
std::string CommitOutputFile(OutputFile& file);
// Closes the stream if it is open and removes the temporary, after a failure elsewhere.
void DiscardOutputFile(OutputFile& file);
