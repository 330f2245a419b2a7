#pragma once
#include <string>

// The system's text for an error code (GetLastError's or an HRESULT) on one line, with the code
// in hexadecimal, which is what a search for the failure needs: "Access is denied. (0x5)".
// Codes the system has no text for give the code alone.
std::string SystemErrorText(unsigned long code);
