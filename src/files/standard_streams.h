#pragma once
#include <string>

// Gives the program somewhere to write its lines where the system may start it without
// standard streams: a Windows program, which Explorer starts without a console, is joined to
// the console of the prompt it was started from, if any, for the streams not redirected.
void ConnectStandardStreams();

// Says why the program ends: the line on standard error, or, where nobody could read that (a
// Windows program started from Explorer, by a double-click or a file dropped on it), in a
// message box.
void ReportFailure(const std::string& text);
