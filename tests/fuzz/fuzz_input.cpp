#include "fuzz_input.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

std::string InputAsFile(const uint8_t* data, size_t size) {
    static const int descriptor = memfd_create("fuzz-input", MFD_CLOEXEC);
    if (descriptor < 0 || ftruncate(descriptor, 0) != 0 ||
        pwrite(descriptor, data, size, 0) != static_cast<ssize_t>(size)) {
        std::abort();  // the machine, not the input, failed
    }
    return "/proc/self/fd/" + std::to_string(descriptor);
}
