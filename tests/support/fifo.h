#pragma once
#include <functional>
#include <string>

// Makes a FIFO at `path`, for tests that hand one to a loader in place of a data file.
void MakeFifo(const std::string& path);

// Runs `load`, which is given the FIFO at `path`, on a thread of its own and returns its
// result. A loader that blocks on the FIFO, as one that opens it plainly does, is let go
// every few seconds by a writer that opens the FIFO and closes it again, so that the test
// then fails on what the loader returns instead of hanging.
std::string LoadBesideFifo(const std::string& path, const std::function<std::string()>& load);
