#pragma once
#include <string>

// A path for `name` in this test process's own temporary folder, made with mkdtemp under the
// system's temporary folder on first use and removed with its content when the process exits,
// so that test runs sharing a machine never meet in each other's files.
std::string TempPath(const std::string& name);
