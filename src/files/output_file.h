#pragma once
#include <cstdio>
#include <memory>
#include <string>

// Writing a file so that it appears whole or not at all: everything goes to a hidden
// temporary file in the target's folder (.NAME.part-XXXXXX, NAME shortened where the whole
// would be longer than a file name may be), which is renamed to the target once every write
// and the close have succeeded, or removed on failure. A target that exists and is not a
// regular file (a device such as /dev/stdout, a FIFO) cannot be replaced, so it is written in
// place: committing it renames nothing and discarding it leaves it be. A symbolic link is
// followed, a dangling one included: the file it leads to is the one written (created, as a
// shell's redirection does), and a replaced file keeps its permissions; a link that leads
// round in a loop is refused. No temporary is committed once an interrupting signal has
// arrived.
//
// The commit replaces a file at the name only when `replace` is set (-y). Otherwise the
// finished file goes into place only while the name is still free, in one step of the file
// system, so that a file that someone put there while the run worked is never lost.

// The folder of a write, held open from its start, so that the temporary is renamed or removed
// in that folder even after the folder itself was renamed or moved.
struct OutputFolder {
    std::string path;
    int descriptor = -1;

    OutputFolder() = default;
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;
    ~OutputFolder();
};

struct OutputFile {
    std::string target;
    std::string temporary;                 // its path, for a writer that opens it by name; empty once
                                           // committed or discarded; the target itself when in place
    std::FILE* stream = nullptr;           // open while a stdio writer writes the temporary
    std::shared_ptr<OutputFolder> folder;  // none for a target written in place
    std::string temporaryName;             // the temporary's name in the folder
    std::string finalName;                 // the name it takes there once complete
    bool replace = false;                  // the commit may replace a file at the name (-y)
    std::string kept;  // after a commit that found the name taken: the finished file, left under
                       // its temporary name (its path)
};

bool IsDirectory(const std::string& path);
// True for a target that exists and is neither a regular file nor a directory (a device, a
// FIFO), which is written in place.
bool IsWrittenInPlace(const std::string& path);

// Checks that the target can be written (it is no directory, its folder takes files) and
// creates the temporary, for a writer that opens it by name or by OpenReservedFile. A write
// into the same folder as `sibling`'s shares its open folder. "" or the reason it cannot.
std::string ReserveOutputFile(OutputFile& file, const std::string& target,
                              const OutputFile* sibling = nullptr);
// The same, and opens the temporary for writing in `stream`.
std::string OpenOutputFile(OutputFile& file, const std::string& target);
// A write to standard output: `stream` writes to what the standard output was, and the
// standard output itself goes to standard error from here on, so that nothing else the run
// prints mixes with what it writes there. Messages name it "standard output".
std::string OpenStandardOutput(OutputFile& file);
// Before a run that writes `target` in place: when it is the standard output itself (/dev/stdout
// into a pipe or a terminal), the program's own lines go to standard error from here on, so that
// the file's bytes alone reach it. Returns the name that writes to the standard output as it was,
// or `target` itself when it is not the standard output.
std::string SetLinesAsideFor(const std::string& target);
// Opens a reserved file's temporary (or the target written in place) for writing, truncated:
// a descriptor, or -1 with errno set.
int OpenReservedFile(const OutputFile& file);
// Closes the stream if it is open and, if every write and the close succeeded, gives the
// temporary the target's name; otherwise removes it. "" or the reason it failed. If the name
// was taken during the run and `replace` is not set, the finished file is kept under its
// temporary name, `kept` holds its path and the reason says so.
std::string CommitOutputFile(OutputFile& file);
// Closes the stream if it is open and removes the temporary, after a failure elsewhere.
void DiscardOutputFile(OutputFile& file);
