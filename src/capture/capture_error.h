#pragma once
#include <stdexcept>
#include <string>

// A capture that cannot go on; the text names the file or resource and the reason.
struct CaptureError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
