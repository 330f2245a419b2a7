#include "files/win32/system_error.h"

#include <windows.h>

#include <cstdio>

#include "files/win32/wide_text.h"

std::string SystemErrorText(unsigned long code) {
    wchar_t text[512] = L"";
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, text, sizeof text / sizeof text[0], nullptr);
    // In the user's language, converted as every text the program writes is, to UTF-8.
    std::string line = Utf8Of(std::wstring(text, length));
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
