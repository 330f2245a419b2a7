#include "script/script_numbers.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "portability.h"

namespace {

// A plain decimal: an optional minus, digits with an optional fraction, an optional
// exponent. from_chars would also take "inf", "nan" and hexadecimal forms; these are refused.
bool IsDecimal(std::string_view text) {
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    size_t digits = 0;
    for (; i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.'); ++i) {
        digits += text[i] != '.';
    }
    if (digits == 0) {
        return false;
    }
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (!((c >= '0' && c <= '9') || c == 'e' || c == 'E' || c == '+' || c == '-')) {
            return false;
        }
    }
    return true;
}

NumberRead ReadDecimal(std::string_view text, float& value) {
    if (!IsDecimal(text)) {
        return NumberRead::NotANumber;
    }
    const char* end = text.data() + text.size();
    auto [last, error] = FloatFromChars(text.data(), end, value);
    if (last != end || error == std::errc::invalid_argument) {
        return NumberRead::NotANumber;
    }
    return error == std::errc() && std::isfinite(value) ? NumberRead::Ok : NumberRead::OutOfRange;
}

// "[-][k*]pi[/n]" with plain decimals k and n.
NumberRead ReadPiMultiple(std::string_view text, float& value) {
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) {
        text.remove_prefix(1);
    }
    float factor = 1.0f, divisor = 1.0f;
    const size_t pi = text.find("pi");
    if (pi == std::string_view::npos) {
        return NumberRead::NotANumber;
    }
    std::string_view before = text.substr(0, pi), after = text.substr(pi + 2);
    if (!before.empty()) {
        if (before.back() != '*' || before.size() < 2 || before[0] == '-' ||
            ReadDecimal(before.substr(0, before.size() - 1), factor) != NumberRead::Ok) {
            return NumberRead::NotANumber;
        }
    }
    if (!after.empty()) {
        if (after[0] != '/' || after.size() < 2 || after[1] == '-' ||
            ReadDecimal(after.substr(1), divisor) != NumberRead::Ok) {
            return NumberRead::NotANumber;
        }
    }
    value = factor * SCRIPT_PI / divisor;
    if (negative) {
        value = -value;
    }
    return std::isfinite(value) ? NumberRead::Ok : NumberRead::OutOfRange;
}

}  // namespace

NumberRead ReadNumber(std::string_view text, float& value) {
    if (text.find("pi") != std::string_view::npos) {
        return ReadPiMultiple(text, value);
    }
    return ReadDecimal(text, value);
}

std::string FormatNumber(float value) {
    char text[128];  // a float's longest fixed form is under 60 characters, so it always fits
    const auto result = FloatToFixedChars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string FormatKey(float value) {
    for (int divisor : {1, 2, 3, 4, 6, 8}) {
        const float multiple = SCRIPT_PI / static_cast<float>(divisor);
        const std::string name = divisor == 1 ? "pi" : "pi/" + std::to_string(divisor);
        if (value == multiple) {
            return name;
        }
        if (value == -multiple) {
            return "-" + name;
        }
    }
    return FormatNumber(value);
}
