#include "pattern.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>
#include <string>

#include "pitch.h"

namespace music {

namespace {

[[noreturn]] void Fail(const PatternText& text, std::string_view token) {
    throw std::invalid_argument("pattern \"" + std::string(text.name) + "\": cannot read \"" +
                                std::string(token) + "\"");
}

std::vector<Step> ParseDrumSteps(const PatternText& text) {
    std::vector<Step> steps;
    for (const char c : text.text) {
        switch (c) {
            case 'X':
                steps.push_back({StepKind::hit, 0, 1.0f});
                break;
            case 'x':
                steps.push_back({StepKind::hit, 0, 0.75f});
                break;
            case 'o':
                steps.push_back({StepKind::hit, 0, 0.4f});
                break;
            case '.':
                steps.push_back({StepKind::rest, 0, 0.0f});
                break;
            case ' ':
            case '|':
                break;
            default:
                Fail(text, std::string_view(&c, 1));
        }
    }
    return steps;
}

Step ParseToken(const PatternText& text, std::string_view token) {
    if (token == ".") {
        return {StepKind::rest, 0, 0.0f};
    }
    if (token == "-") {
        return {StepKind::hold, 0, 0.0f};
    }
    if (text.kind == PatternKind::notes) {
        const auto pitch = ParseNoteName(token);
        if (!pitch) {
            Fail(text, token);
        }
        return {StepKind::hit, *pitch, 1.0f};
    }
    int value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size()) {
        Fail(text, token);
    }
    return {StepKind::hit, value, 1.0f};
}

std::vector<Step> ParseTokenSteps(const PatternText& text) {
    std::vector<Step> steps;
    std::string_view rest = text.text;
    while (!rest.empty()) {
        const auto begin = rest.find_first_not_of(" |\n");
        if (begin == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(begin);
        const auto length = std::min(rest.find_first_of(" |\n"), rest.size());
        steps.push_back(ParseToken(text, rest.substr(0, length)));
        rest.remove_prefix(length);
    }
    return steps;
}

}  // namespace

Pattern ParsePattern(const PatternText& text) {
    Pattern pattern{text.kind, text.stepsPerBeat, {}};
    if (text.kind == PatternKind::sustain) {
        return pattern;
    }
    pattern.steps = text.kind == PatternKind::drum ? ParseDrumSteps(text) : ParseTokenSteps(text);
    if (pattern.steps.empty() || text.stepsPerBeat <= 0) {
        Fail(text, text.text);
    }
    return pattern;
}

Pattern FindPattern(std::string_view name) {
    for (const PatternText& text : PatternBook()) {
        if (text.name == name) {
            return ParsePattern(text);
        }
    }
    throw std::invalid_argument("no pattern named \"" + std::string(name) + "\"");
}

}  // namespace music
