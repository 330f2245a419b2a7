#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/show.h"
#include "script/script_text.h"

// The show as the studio previews it: built once on the page's data with the generator seeded
// 0, as the headless modes seed it, so that any pass it draws equals `--render-frame N` with the
// same script. It plays nothing by itself: every frame is one pass of the 60-a-second grid,
// reached by a seek.
struct StudioCore {
    std::unique_ptr<Show> show;
    std::vector<ScriptRow> rows;  // the script the tracks were registered from
    ParsedScript checked;         // the last text checked, whose rows a load registers
    uint32_t pass = 0;            // the pass the frame shows
};

// Builds the show from `dataDir` with the built-in script and draws pass 0. Throws AssetError
// naming the data file and the reason.
void StartStudio(StudioCore& studio, const std::string& dataDir);

// Reads `text` with the program's own parser into studio.checked: its rows and their lines, or
// its first error as "LINE: reason" ("the script has no rows" for a script without a row).
void CheckStudioText(StudioCore& studio, std::string_view text);

// Registers the rows last checked (which must have had no error) in place of the show's tracks
// and draws the pass shown again with them.
void LoadCheckedRows(StudioCore& studio);

// Draws pass `pass` of the 60-a-second grid as an uninterrupted run would, whatever was drawn
// before; a pass after the show's last is drawn as the last.
void DrawStudioPass(StudioCore& studio, uint32_t pass);

// The value the field holds after the pass shown, as a float (integer fields exactly), or NaN
// when the object has no such field.
double FieldValue(StudioCore& studio, ObjectRef object, std::string_view field);
