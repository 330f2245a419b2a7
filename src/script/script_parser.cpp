#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "files/input_file.h"
#include "script/script_check.h"
#include "script/script_fields.h"
#include "script/script_numbers.h"
#include "script/script_text.h"

namespace {

constexpr long MAX_SCRIPT_BYTES = 16L << 20;  // far more than 65535 rows need

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// The blank-separated words of a line, up to its comment.
std::vector<std::string_view> Words(std::string_view line) {
    line = line.substr(0, line.find('#'));
    std::vector<std::string_view> words;
    size_t i = 0;
    while (true) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        if (i == line.size()) {
            return words;
        }
        const size_t begin = i;
        while (i < line.size() && !IsBlank(line[i])) {
            ++i;
        }
        words.push_back(line.substr(begin, i - begin));
    }
}

// A word of the script as an error message shows it: quoted, cut short, only printable text.
std::string Quote(std::string_view word) {
    std::string quoted = "'";
    for (size_t i = 0; i < word.size() && i < 40; ++i) {
        quoted += word[i] >= 0x20 && word[i] < 0x7F ? word[i] : '?';
    }
    return quoted + (word.size() > 40 ? "...'" : "'");
}

const char* const TOO_FEW =
    "too few columns: a row is start, end, type, object.field, from and to, or clock in place of from "
    "and to";

// Reads the words of one row in order; every Read returns an error reason or "".
struct RowReader {
    std::vector<std::string_view> words;
    size_t next = 0;

    std::optional<std::string_view> Take() {
        if (next == words.size()) {
            return std::nullopt;
        }
        return words[next++];
    }

    std::string ReadNumberInto(float& value, const char* column) {
        const auto word = Take();
        if (!word) {
            return TOO_FEW;
        }
        switch (ReadNumber(*word, value)) {
            case NumberRead::Ok:
                return "";
            case NumberRead::OutOfRange:
                return std::string("the ") + column + " " + Quote(*word) + " is outside the range of float";
            case NumberRead::NotANumber:
                break;
        }
        return std::string("the ") + column + " " + Quote(*word) + " is not a number";
    }

    std::string ReadType(ElementKind& type) {
        auto word = Take();
        if (!word) {
            return TOO_FEW;
        }
        std::string name(*word);
        if (name == "unsigned") {
            if (!(word = Take())) {
                return TOO_FEW;
            }
            name.append(" ").append(*word);
        }
        for (ElementKind kind : {CHAR, UCHAR, SHORT, USHORT, FLOAT}) {
            if (name == ElementName(kind)) {
                type = kind;
                return "";
            }
        }
        return std::string("unknown type ") + Quote(name) +
               ": the types are char, unsigned char, short, unsigned short "
               "and float";
    }

    // "landscape.FIELD", "wave.FIELD" or "layer N.FIELD".
    std::string ReadTarget(ScriptRow& row) {
        auto word = Take();
        if (!word) {
            return TOO_FEW;
        }
        std::string objectName(word->substr(0, word->find('.')));
        if (*word == "layer") {
            if (!(word = Take())) {
                return TOO_FEW;
            }
            std::string problem = ReadLayerIndex(word->substr(0, word->find('.')), row.object);
            if (!problem.empty()) {
                return problem;
            }
        } else if (objectName == "landscape") {
            row.object = LANDSCAPE;
        } else if (objectName == "wave") {
            row.object = WAVE;
        } else {
            return "unknown object " + Quote(objectName) +
                   ": the objects are landscape, wave and layer 0 to " + std::to_string(LAYER_COUNT - 1);
        }
        const size_t dot = word->find('.');
        if (dot == std::string_view::npos) {
            return Quote(*word) + " names no field: write object.field, as in landscape.viewMode";
        }
        const std::string_view fieldName = word->substr(dot + 1);
        const FieldInfo* field = FindField(row.object.target, fieldName);
        if (field == nullptr) {
            row.field = "";  // so that TargetName gives the object's part alone
            return "unknown field " + Quote(TargetName(row) + std::string(fieldName));
        }
        row.field = field->name;
        return "";
    }

    static std::string ReadLayerIndex(std::string_view text, ObjectRef& object) {
        unsigned index = 0;
        bool digits = !text.empty() && text.size() <= 3;
        for (char c : text) {
            digits = digits && c >= '0' && c <= '9';
            index = index * 10 + static_cast<unsigned>(c - '0');
        }
        if (!digits) {
            return "the layer " + Quote(text) + " is not a layer number";
        }
        if (index >= LAYER_COUNT) {
            return "there is no layer " + std::to_string(index) + ": the layers are 0 to " +
                   std::to_string(LAYER_COUNT - 1);
        }
        object = LAYER(static_cast<uint8_t>(index));
        return "";
    }

    std::string ReadKeys(ScriptRow& row) {
        if (next < words.size() && words[next] == "clock") {
            ++next;
            row.from = row.to = CLOCK;
            return "";
        }
        std::string problem = ReadNumberInto(row.from, "from value");
        return problem.empty() ? ReadNumberInto(row.to, "to value") : problem;
    }

    std::string ReadRow(ScriptRow& row) {
        std::string problem = ReadNumberInto(row.start, "start");
        if (problem.empty()) {
            problem = ReadNumberInto(row.end, "end");
        }
        if (problem.empty()) {
            problem = ReadType(row.type);
        }
        if (problem.empty()) {
            problem = ReadTarget(row);
        }
        if (problem.empty()) {
            problem = ReadKeys(row);
        }
        if (problem.empty() && next < words.size()) {
            problem = "too many columns: " + Quote(words[next]) + " after the row's last value";
        }
        return problem.empty() ? RowProblem(row) : problem;
    }
};

std::string LineError(std::string_view name, size_t line, const std::string& reason) {
    return std::string(name) + ":" + std::to_string(line) + ": " + reason;
}

// Reads a regular file of at most MAX_SCRIPT_BYTES into `text`; returns why it failed or "".
std::string ReadWholeFile(const std::string& path, std::string& text) {
    std::string reason;
    std::FILE* file = OpenInputFile(path, reason);
    if (file == nullptr) {
        return reason;
    }
    char buffer[65536];
    size_t got = 0;
    while (text.size() <= static_cast<size_t>(MAX_SCRIPT_BYTES) &&
           (got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) {
        return std::string("cannot read: ") + std::strerror(readErrno);
    }
    return text.size() > static_cast<size_t>(MAX_SCRIPT_BYTES)
               ? "larger than 16 MiB, too large for a scene script"
               : "";
}

}  // namespace

ParsedScript ParseScript(std::string_view text, std::string_view name) {
    // A byte-order mark that some editors put before UTF-8 text.
    constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
    if (text.starts_with(UTF8_BOM)) {
        text.remove_prefix(UTF8_BOM.size());
    }
    ParsedScript script;
    size_t lineNumber = 0;
    for (size_t begin = 0; begin <= text.size();) {
        size_t end = text.find('\n', begin);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        ++lineNumber;
        RowReader reader{Words(text.substr(begin, end - begin))};
        begin = end + 1;
        if (reader.words.empty()) {
            continue;
        }
        if (script.rows.size() == MAX_SCRIPT_ROWS) {
            script.error = LineError(
                name, lineNumber,
                "more than " + std::to_string(MAX_SCRIPT_ROWS) + " tracks: the track list holds no more");
            break;
        }
        ScriptRow row{0, 0, FLOAT, LANDSCAPE, "", 0, 0};
        const std::string problem = reader.ReadRow(row);
        if (!problem.empty()) {
            script.error = LineError(name, lineNumber, problem);
            break;
        }
        script.rows.push_back(row);
        script.lines.push_back(static_cast<uint32_t>(lineNumber));
    }
    // A file with nothing to play is most often one caught empty while it was being saved.
    if (script.error.empty() && script.rows.empty()) {
        script.error = std::string(name) + ": the script has no rows";
    }
    if (!script.error.empty()) {
        script.rows.clear();
        script.lines.clear();
    }
    return script;
}

ParsedScript ReadScriptFile(const std::string& path) {
    std::string text;
    const std::string problem = ReadWholeFile(path, text);
    if (!problem.empty()) {
        ParsedScript failed;
        failed.error = path + ": " + problem;
        return failed;
    }
    return ParseScript(text, path);
}
