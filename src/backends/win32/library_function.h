#pragma once
#include <windows.h>

// A function of a library loaded at run time, or null. The cast goes through the generic
// function pointer type, which converts to any other without a warning.
template <typename Function>
Function LibraryFunction(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}
