// For the Windows tests under Wine: waits up to the seconds given for a message box titled
// "voxelshow", prints its text (UTF-8) and presses its OK button. Status 0 once one was read,
// 1 if none came. A program's own window cannot show what it reported in the box, so the box
// is read as a user sees it, from outside. With "open" after the seconds, it leaves the box
// open and prints its place on the screen on a second line, "X Y WIDTH HEIGHT", for a
// screenshot.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

BOOL CALLBACK ReadStatic(HWND child, LPARAM found) {
    wchar_t kind[32] = L"";
    GetClassNameW(child, kind, 32);
    if (lstrcmpiW(kind, L"Static") != 0) {
        return TRUE;
    }
    wchar_t text[4096] = L"";
    const int length = GetWindowTextW(child, text, 4096);
    if (length > 0) {
        *reinterpret_cast<std::wstring*>(found) = std::wstring(text, length);
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const bool leaveOpen = argc > 2 && std::string(argv[2]) == "open";
    for (int waited = 0; waited < seconds * 10; ++waited) {
        const HWND box = FindWindowW(L"#32770", L"voxelshow");
        std::wstring text;
        if (box != nullptr) {
            EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&text));
        }
        if (!text.empty()) {
            const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                 nullptr, 0, nullptr, nullptr);
            std::string utf8(static_cast<size_t>(size), '\0');
            WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                                nullptr, nullptr);
            std::fwrite(utf8.data(), 1, utf8.size(), stdout);
            std::fputs("\n", stdout);
            if (leaveOpen) {
                RECT place{};
                GetWindowRect(box, &place);
                std::printf("%ld %ld %ld %ld\n", place.left, place.top, place.right - place.left,
                            place.bottom - place.top);
                return 0;
            }
            PostMessageW(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(100);
    }
    std::fputs("no message box\n", stderr);
    return 1;
}
