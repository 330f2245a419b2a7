#pragma once
#include <string>

// UTF-8, which the program holds its texts and names in, to and from the UTF-16 of Windows'
// wide-character calls. Bytes that are not UTF-8 become U+FFFD.
std::wstring WideOf(const std::string& text);
std::string Utf8Of(const std::wstring& text);
std::string Utf8Of(const wchar_t* text);
