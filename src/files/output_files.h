#pragma once
#include <string>
#include <vector>

#include "files/output_file.h"

// A run of output files (the frames of --render-frame, a capture's pictures) that appears
// whole or not at all: each goes into place in turn, and if one cannot (a failed write, an
// interruption, a name that someone else's file took meanwhile), those already in place are
// removed again with the rest. "" or "NAME: reason" for the file that failed.
std::string CommitOutputFiles(std::vector<OutputFile>& files);
// Removes every temporary of the run, after a failure elsewhere.
void DiscardOutputFiles(std::vector<OutputFile>& files);
