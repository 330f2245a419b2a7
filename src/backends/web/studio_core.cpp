#include "backends/web/studio_core.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/script_reload.h"
#include "app/seek.h"
#include "render/random.h"
#include "script/builtin_script.h"
#include "script/script_fields.h"

namespace {

constexpr uint32_t GRID_FPS = 60;

const DrawingSteps& Steps() {
    return StepsFor(Renderer::Fast);
}

template <typename Value>
double Read(const void* address) {
    Value value;
    std::memcpy(&value, address, sizeof value);
    return static_cast<double>(value);
}

}  // namespace

void StartStudio(StudioCore& studio, const std::string& dataDir) {
    studio.rows = BuiltInScript();
    SeedRandom(0);
    studio.show = BuildShow(dataDir, studio.rows, 1, BestSimdLevel());
    DrawStudioPass(studio, 0);
}

void CheckStudioText(StudioCore& studio, std::string_view text) {
    // Parsed under an empty name, the errors read ":LINE: reason" or ": the script has no rows";
    // the studio shows them at its own text, without the colon.
    studio.checked = ParseScript(text, "");
    std::string& error = studio.checked.error;
    const size_t colon = error.starts_with(':') ? 1 : 0;
    error.erase(0, colon + (error.size() > colon && error[colon] == ' ' ? 1 : 0));
}

void LoadCheckedRows(StudioCore& studio) {
    SwitchScript(*studio.show, studio.checked.rows, Steps(), GridPass(studio.pass, GRID_FPS));
    studio.rows = studio.checked.rows;
}

void DrawStudioPass(StudioCore& studio, uint32_t pass) {
    studio.pass = static_cast<uint32_t>(std::min<uint64_t>(pass, LastPassOfShow(GRID_FPS)));
    SeekShow(*studio.show, Steps(), GridPass(studio.pass, GRID_FPS));
}

double FieldValue(StudioCore& studio, ObjectRef object, std::string_view field) {
    Show& show = *studio.show;
    SceneObjects objects{*show.landscape, show.wave, show.layers};
    const FieldInfo* info = FindField(object.target, field);
    const void* address = FieldAddress(objects, object, field);
    if (info == nullptr || address == nullptr) {
        return NAN;
    }
    if (info->isFloat) {
        return Read<float>(address);
    }
    switch (info->width) {
        case 1:
            return info->isSigned ? Read<int8_t>(address) : Read<uint8_t>(address);
        case 2:
            return info->isSigned ? Read<int16_t>(address) : Read<uint16_t>(address);
        default:
            return info->isSigned ? Read<int32_t>(address) : Read<uint32_t>(address);
    }
}
