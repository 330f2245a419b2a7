#include "files/program_path.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "files/win32/wide_text.h"

// The module's file name, in UTF-8 as the program's other names are. The buffer grows until
// the name fits: a longer name is cut short and fills the buffer.
std::string ProgramPath() {
    std::wstring name(MAX_PATH, L'\0');
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) {
            return "";
        }
        if (length < name.size()) {
            name.resize(length);
            return Utf8Of(name);
        }
        name.resize(name.size() * 2);
    }
}

// argv holds the command line in the system's code page, where letters outside it are already
// question marks: the UTF-16 command line is read instead.
std::vector<std::string> ProgramArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const std::string argument = Utf8Of(wide[i]);
        arguments.push_back(argument == "/?" ? "--help" : argument);
    }
    LocalFree(wide);
    // Explorer starts the program with the file dropped on it as its only argument.
    if (arguments.size() == 1 && !arguments[0].empty() && arguments[0][0] != '-') {
        arguments.insert(arguments.begin(), "--script");
    }
    return arguments;
}
