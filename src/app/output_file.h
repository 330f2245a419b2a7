#pragma once
#include <cstdio>
#include <string>

// Writing a file so that it appears whole or not at all: everything goes to a temporary name
// in the target's folder, which is renamed to the target once every write and the close have
// succeeded, or removed on failure. A target that exists and is not a regular file (a device
// such as /dev/stdout, a FIFO) cannot be replaced, so it is written in place: its temporary
// name is the target itself, committing it does nothing and discarding it leaves it be. A
// symbolic link is followed: the file it leads to is the one replaced.

// An unused temporary name for `target`, in the folder of the file it names.
std::string TemporaryNameFor(const std::string& target);
// Gives the written temporary file the target's name (and the replaced file's permissions);
// returns "" or the reason it failed, in which case the temporary file is removed.
std::string CommitOutputFile(const std::string& temporary, const std::string& target);
// Removes the temporary file of a write that failed.
void DiscardOutputFile(const std::string& temporary, const std::string& target);

// The same for a file this program writes through a stdio stream.
struct OutputFile {
    std::string target;
    std::string temporary;
    std::FILE* stream = nullptr;
};

// Creates the temporary file and opens its stream; "" or the reason it cannot.
std::string OpenOutputFile(OutputFile& file, const std::string& target);
// Flushes and closes the stream and commits the file if every write succeeded, otherwise
// discards it; "" or "cannot write: <reason>".
std::string CloseOutputFile(OutputFile& file);
// Closes the stream and discards the file, after a failure elsewhere.
void AbandonOutputFile(OutputFile& file);
