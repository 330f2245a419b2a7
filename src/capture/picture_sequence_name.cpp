#include "capture/picture_sequence_name.h"

namespace {

// One "%" form at the start of `text`: its length, and the width of the number it stands for
// (0: unpadded; -1: a literal "%"). A length of 0 when it is no form this name takes.
struct Field {
    size_t length = 0;
    int width = 0;
};

Field FieldAt(std::string_view text) {
    if (text.starts_with("%%")) {
        return {2, -1};
    }
    if (text.starts_with("%d")) {
        return {2, 0};
    }
    if (text.size() >= 4 && text[1] == '0' && text[2] >= '1' && text[2] <= '9' && text[3] == 'd') {
        return {4, text[2] - '0'};
    }
    return {};
}

}  // namespace

FrameNamePattern ReadFrameNamePattern(std::string_view pattern) {
    FrameNamePattern read;
    const size_t lastSlash = pattern.rfind('/');
    for (size_t i = pattern.find('%'); i != std::string_view::npos; i = pattern.find('%', i)) {
        const Field field = FieldAt(pattern.substr(i));
        if (field.length == 0) {
            read.error.append("'").append(pattern.substr(i, 2)).append("' in '").append(pattern);
            read.error.append("' is none of %d, %0Nd (N from 1 to 9) and %%");
            return read;
        }
        if (field.width >= 0) {
            ++read.numbers;
            read.numberInFolder =
                read.numberInFolder || (lastSlash != std::string_view::npos && i < lastSlash);
        }
        i += field.length;
    }
    return read;
}

std::string FrameNameFor(std::string_view pattern, uint32_t pass) {
    const std::string number = std::to_string(pass);
    std::string name;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const Field field = pattern[i] == '%' ? FieldAt(pattern.substr(i)) : Field{};
        if (field.length == 0) {
            name += pattern[i];
            continue;
        }
        if (field.width < 0) {
            name += '%';
        } else {
            name.append(static_cast<size_t>(field.width) > number.size() ? field.width - number.size() : 0,
                        '0');
            name += number;
        }
        i += field.length - 1;
    }
    return name;
}
