#include "platform/win32/system_error.h"

#include <windows.h>

#include <cstdio>

std::string SystemErrorText(unsigned long code) {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, text, sizeof text, nullptr);
    std::string line(text, length);
    // The system's texts end in a line break; some hold one inside.
    for (char& c : line) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    char number[32];
    std::snprintf(number, sizeof number, "0x%lx", code);
    return line.empty() ? std::string("error ") + number : line + " (" + number + ")";
}
