#pragma once
#include <string>
#include <string_view>

// The show's pi in single precision (the float nearest 3.141592654).
constexpr float SCRIPT_PI = 3.141592654f;

enum class NumberRead { Ok, NotANumber, OutOfRange };

// Reads a decimal number ("255", "-0.5", "39.5", "1e3") or a multiple of pi ("pi", "-pi/2",
// "2*pi", "3*pi/4", computed in single precision as k x pi / n) into `value`, rounded to the
// nearest float as a float literal of the same text would be. Independent of the locale.
NumberRead ReadNumber(std::string_view text, float& value);

// The shortest decimal text that reads back as exactly `value` ("255", "39.5", "1.5707964").
std::string FormatNumber(float value);

// Like FormatNumber, but writes pi and its halves, thirds, quarters, sixths and eighths, and
// their negatives, as "pi/2" and so on.
std::string FormatKey(float value);
