#include "files/output_files.h"

#include "files/file_names.h"

std::string CommitOutputFiles(std::vector<OutputFile>& files) {
    std::vector<std::string> placed;
    for (size_t i = 0; i < files.size(); ++i) {
        OutputFile& file = files[i];
        const bool inPlace = file.temporary == file.target;  // a device, never to be removed
        std::string reason = CommitOutputFile(file);
        if (reason.empty()) {
            if (!inPlace) {
                placed.push_back(file.target);
            }
            continue;
        }
        for (const std::string& name : placed) {
            RemoveNamedFile(name);
        }
        if (!file.kept.empty()) {
            // Half a run is no better than a truncated file: the new frame goes with the others,
            // and the file that took its name stays.
            RemoveNamedFile(file.kept);
            reason = "appeared while it was being written; the run's files are removed";
        }
        const std::string failed = file.target + ": " + reason;
        files.erase(files.begin(), files.begin() + static_cast<std::ptrdiff_t>(i) + 1);
        DiscardOutputFiles(files);
        return failed;
    }
    files.clear();
    return "";
}

void DiscardOutputFiles(std::vector<OutputFile>& files) {
    for (OutputFile& file : files) {
        DiscardOutputFile(file);
    }
    files.clear();
}
