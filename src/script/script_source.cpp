#include "script/script_source.h"

#include <stdexcept>

#include "script/builtin_script.h"
#include "script/script_text.h"

std::vector<ScriptRow> LoadScript(const std::string& path) {
    if (path.empty()) {
        return BuiltInScript();
    }
    ParsedScript script = ReadScriptFile(path);
    if (!script.error.empty()) {
        throw std::runtime_error(script.error);
    }
    return std::move(script.rows);
}
