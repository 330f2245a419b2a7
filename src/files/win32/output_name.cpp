#include "files/output_name.h"

#include <cstdint>
#include <string_view>

// Windows' rules for a file's name: none of < > : " | ? * or a control character in it (a
// colon only after a drive letter), no space or dot at its end (which Windows would drop,
// writing another file than the one named), and at most 255 UTF-16 units a name.
namespace {

constexpr size_t LONGEST_NAME = 255;
constexpr std::string_view REFUSED = "<>:\"|?*";

// The UTF-16 units that UTF-8 text takes: one a character, two past U+FFFF.
size_t Utf16Length(std::string_view text) {
    size_t units = 0;
    for (unsigned char byte : text) {
        if ((byte & 0xC0) != 0x80) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

std::string PartProblem(std::string_view part, bool last) {
    for (unsigned char c : part) {
        if (c < 32) {
            return "the name holds a control character, which Windows does not take in a file name";
        }
        if (REFUSED.find(static_cast<char>(c)) != std::string_view::npos) {
            return std::string("the name holds '") + static_cast<char>(c) +
                   "', which Windows does not take in a file name";
        }
    }
    if (part != "." && part != ".." && !part.empty() && (part.back() == ' ' || part.back() == '.')) {
        return "the name '" + std::string(part) + "' ends in a space or a dot, which Windows drops";
    }
    if (Utf16Length(part) > LONGEST_NAME) {
        return std::string(last ? "the file's name" : "a folder's name in it") + " is " +
               std::to_string(Utf16Length(part)) + " characters long; Windows takes at most " +
               std::to_string(LONGEST_NAME);
    }
    return "";
}

}  // namespace

std::string OutputNameProblem(const std::string& path) {
    std::string_view rest = path;
    if (rest.rfind("\\\\", 0) == 0 || rest.rfind("//", 0) == 0) {
        return "";  // a network share, or the system's own namespaces (\\.\pipe\NAME): the system's to judge
    }
    if (rest.size() >= 2 && rest[1] == ':' && ((rest[0] | 0x20) >= 'a' && (rest[0] | 0x20) <= 'z')) {
        rest.remove_prefix(2);  // the drive
    }
    while (!rest.empty()) {
        const size_t end = rest.find_first_of("/\\");
        const std::string problem = PartProblem(rest.substr(0, end), end == std::string_view::npos);
        if (!problem.empty()) {
            return problem;
        }
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    return "";
}
