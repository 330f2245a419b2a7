// The functions the studio page calls. Like the player's, each returns a status and leaves any
// failure's one line for studio_error, so that no exception crosses into JavaScript.
#include <emscripten/emscripten.h>

#include <cmath>
#include <exception>
#include <string>
#include <vector>

#include "app/frame_hash.h"
#include "app/seek.h"
#include "backends/web/studio_core.h"
#include "backends/web/web_player.h"
#include "render/framebuffer.h"
#include "script/builtin_script.h"
#include "script/script_fields.h"
#include "script/script_numbers.h"
#include "script/script_text.h"

namespace {

StudioCore studio;
std::string errorText;
std::string resultText;  // the text a call returns, kept until the next such call

// One row as the page reads it from memory: eight 32-bit words.
struct RowRecord {
    uint32_t line;
    float start;
    float end;
    float from;  // +infinity for a clock row
    float to;
    uint32_t type;    // ElementKind
    uint32_t target;  // Target
    uint32_t layer;
};
static_assert(sizeof(RowRecord) == 32);
std::vector<RowRecord> records;

template <class Step>
int Guarded(Step step) {
    try {
        step();
        return 0;
    } catch (const std::exception& error) {
        errorText = error.what();
    }
    return 1;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* studio_error() {
    return errorText.c_str();
}

// Builds the show on /data with the built-in script and draws pass 0.
EMSCRIPTEN_KEEPALIVE int studio_start() {
    return Guarded([] { StartStudio(studio, "/data"); });
}

// The built-in script as text, as --dump-script writes it.
EMSCRIPTEN_KEEPALIVE const char* studio_builtin_text() {
    resultText = WriteScript(BuiltInScript());
    return resultText.c_str();
}

// Checks a script text with the program's parser. Returns its number of rows, whose records
// studio_rows() then holds, or -1 with "LINE: reason" in studio_error().
EMSCRIPTEN_KEEPALIVE int studio_check(const char* text) {
    CheckStudioText(studio, text);
    const ParsedScript& checked = studio.checked;
    records.clear();
    if (!checked.error.empty()) {
        errorText = checked.error;
        return -1;
    }
    records.reserve(checked.rows.size());
    for (size_t i = 0; i < checked.rows.size(); ++i) {
        const ScriptRow& row = checked.rows[i];
        records.push_back({checked.lines[i], row.start, row.end, row.from, row.to, row.type,
                           static_cast<uint32_t>(row.object.target), row.object.layer});
    }
    return static_cast<int>(records.size());
}

EMSCRIPTEN_KEEPALIVE const RowRecord* studio_rows() {
    return records.data();
}

// Registers the rows of the last good check as the show's tracks and draws the pass shown.
EMSCRIPTEN_KEEPALIVE int studio_load() {
    if (!studio.checked.error.empty() || studio.checked.rows.empty()) {
        errorText = "no checked script to load";
        return 1;
    }
    return Guarded([] { LoadCheckedRows(studio); });
}

// Draws pass `pass` of the 60-a-second grid exactly; returns the pass drawn (the show's last
// for a later one).
EMSCRIPTEN_KEEPALIVE uint32_t studio_draw(uint32_t pass) {
    DrawStudioPass(studio, pass);
    return studio.pass;
}

EMSCRIPTEN_KEEPALIVE uint32_t studio_pass() {
    return studio.pass;
}

EMSCRIPTEN_KEEPALIVE uint32_t studio_last_pass() {
    return static_cast<uint32_t>(LastPassOfShow(60));
}

// The frame's hash as --hashes writes it.
EMSCRIPTEN_KEEPALIVE const char* studio_hash() {
    resultText = HashText(FrameHash(frameBuffer));
    return resultText.c_str();
}

EMSCRIPTEN_KEEPALIVE const uint32_t* studio_frame() {
    return frameBuffer;
}

// The value of `field` of the object (0 landscape, 1 wave, 2 layer `layer`) after pass `pass`,
// or NaN for no such field.
EMSCRIPTEN_KEEPALIVE double studio_field_value(uint32_t target, uint32_t layer, const char* field,
                                               uint32_t pass) {
    if (target > 2 || layer >= LAYER_COUNT) {
        return NAN;
    }
    if (pass != studio.pass) {
        DrawStudioPass(studio, pass);
    }
    return FieldValue(studio, {static_cast<Target>(target), static_cast<uint8_t>(layer)}, field);
}

// The cuts of the script loaded, as seconds separated by spaces, each written so that it reads
// back as exactly the row's start.
EMSCRIPTEN_KEEPALIVE const char* studio_cuts() {
    resultText.clear();
    for (float cut : Cuts(studio.rows)) {
        resultText += FormatNumber(cut) + " ";
    }
    return resultText.c_str();
}
}
