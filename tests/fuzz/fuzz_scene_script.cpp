// The scene script's text parser over any text. A script it accepts must register completely
// on the show's objects (registration throws on a row that does not fit), and what the
// writer makes of its rows must read back as the same rows, bit for bit.
#include <bit>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "script/scene_script.h"
#include "script/script_text.h"

namespace {

bool SameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

bool SameRow(const ScriptRow& a, const ScriptRow& b) {
    return SameBits(a.start, b.start) && SameBits(a.end, b.end) && a.type == b.type &&
           a.object.target == b.object.target && a.object.layer == b.object.layer &&
           std::strcmp(a.field, b.field) == 0 && SameBits(a.from, b.from) && SameBits(a.to, b.to);
}

void Register(const std::vector<ScriptRow>& rows) {
    Landscape landscape;
    WaveFilter wave;
    LayerList layers;
    for (int i = 0; i < LAYER_COUNT; ++i) {
        AddLayer(layers, BLEND_ADD);
    }
    VariableList tracks;
    RegisterSceneScript(tracks, rows, {landscape, wave, layers}, TypeNames::Quiet);
    if (tracks.count != rows.size()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ParsedScript script = ParseScript(text, "fuzz.txt");
    if (!script.error.empty()) {
        return 0;
    }
    Register(script.rows);
    const ParsedScript reread = ParseScript(WriteScript(script.rows), "written.txt");
    if (!reread.error.empty() || reread.rows.size() != script.rows.size()) {
        std::abort();
    }
    for (size_t i = 0; i < script.rows.size(); ++i) {
        if (!SameRow(reread.rows[i], script.rows[i])) {
            std::abort();
        }
    }
    return 0;
}
