#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "script/script_row.h"

// A script read from text: its rows in registration order, or the first error.
struct ParsedScript {
    std::vector<ScriptRow> rows;
    std::vector<uint32_t> lines;  // the line each row was read from, counted from 1
    std::string error;            // "NAME:LINE: reason"; empty when every row was read and checked
};

// The most tracks a script may register: the track list counts them in 16 bits.
constexpr size_t MAX_SCRIPT_ROWS = 65535;

// Reads a scene script in the text format of docs/script.md. `name` is the file name that
// errors are reported under. Every row is checked as registration needs it, so a script
// without an error registers completely; a script without a row is an error. A UTF-8
// byte-order mark at the start is passed over.
ParsedScript ParseScript(std::string_view text, std::string_view name);

// Reads the script file at `path`; an unreadable file gives the error "PATH: reason".
ParsedScript ReadScriptFile(const std::string& path);

// The rows in the text format, one a line with aligned columns, after a heading comment.
std::string WriteScript(std::span<const ScriptRow> rows);
