#include "fifo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <stdexcept>

void MakeFifo(const std::string& path) {
    if (mkfifo(path.c_str(), 0600) != 0) {
        throw std::runtime_error("cannot make the FIFO " + path);
    }
}

std::string LoadBesideFifo(const std::string& path, const std::function<std::string()>& load) {
    std::future<std::string> result = std::async(std::launch::async, load);
    while (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        // A reader waiting to open the FIFO, or to read from it, sees the end of the file.
        const int writer = open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) {
            close(writer);
        }
    }
    return result.get();
}
