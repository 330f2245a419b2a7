#include "files/standard_streams.h"

#include <cstdio>

// A Linux program always has its standard streams: nothing to connect.
void ConnectStandardStreams() {}

void ReportFailure(const std::string& text) {
    std::fflush(stdout);
    std::fprintf(stderr, "%s\n", text.c_str());
}
