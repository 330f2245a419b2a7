#include "backends/web/web_player.h"

#include <algorithm>
#include <cstring>

#include "anim/demo_clock.h"
#include "app/script_reload.h"
#include "app/seek.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"
#include "render/random.h"
#include "script/script_source.h"

namespace {

constexpr float SHOW_SECONDS = 196.0f;

const DrawingSteps& Steps() {
    return StepsFor(Renderer::Fast);
}

// The show and the demo clock to the pass at `elapsed` ms, drawn, as the native player's jump.
uint32_t JumpTo(WebPlayer& web, uint32_t elapsed) {
    SeekShow(*web.show, Steps(), {elapsed, STEP_FPS});
    MoveFrameTimer(web.clock, elapsed);
    UpdateWindowTitle(web.title);  // the statistics show the jump also while paused, as natively
    web.player.shownMs = elapsed;
    web.ended = false;
    return elapsed;
}

}  // namespace

void StartWebPlayer(WebPlayer& web, const std::string& dataDir, const std::string& scriptPath,
                    uint32_t seed) {
    std::vector<ScriptRow> rows = LoadScript(scriptPath);
    SeedRandom(seed);
    ResetFrameStats();
    web.show = BuildShow(dataDir, rows, 1, BestSimdLevel());
    web.rows = std::move(rows);
}

void BeginShow(WebPlayer& web, uint32_t now) {
    RewindShow(*web.show);
    web.clock.now = now;
    StartFrameTimer(web.clock);
    web.player = {};
    web.ended = false;
    DrawPass(*web.show, Steps());
}

bool PlayPass(WebPlayer& web, uint32_t now) {
    web.clock.now = now;
    if (web.player.paused || web.ended) {
        return !web.ended;
    }
    UpdateFrameTimer(web.clock);
    UpdateWindowTitle(web.title);
    if (SHOW_SECONDS < demoTime) {
        web.ended = true;
        return false;
    }
    web.player.shownMs = elapsedMs;
    DrawPass(*web.show, Steps());
    return true;
}

int64_t Command(WebPlayer& web, PlayerCommand command, uint32_t now) {
    web.clock.now = now;
    PlayerState& player = web.player;
    if (command == PlayerCommand::PauseOrResume) {
        player.paused = !player.paused;
        if (!player.paused) {
            MoveFrameTimer(web.clock, player.shownMs);  // the clock goes on from the frame shown
        }
        return -1;
    }
    const uint32_t shown = web.ended ? SHOW_END_MS : player.shownMs;
    const std::optional<uint32_t> target = CommandTarget(command, shown, player.paused, STEP_FPS);
    if (!target) {
        return -1;
    }
    return JumpTo(web, *target);
}

uint32_t SeekTo(WebPlayer& web, uint32_t elapsed, uint32_t now) {
    web.clock.now = now;
    return JumpTo(web, std::min(elapsed, SHOW_END_MS));
}

void SwitchWebScript(WebPlayer& web, const std::string& path, uint32_t now) {
    std::vector<ScriptRow> rows = LoadScript(path);  // throws before anything changes
    web.clock.now = now;
    const uint32_t at = web.player.shownMs;
    SwitchScript(*web.show, rows, Steps(), {at, STEP_FPS});
    MoveFrameTimer(web.clock, at);
    web.rows = std::move(rows);
}

void StartVideoAt(WebPlayer& web, uint32_t firstPass, uint32_t fps) {
    const SeekTarget target = GridPass(firstPass, fps);
    web.clock.now = target.elapsedMs;
    SeekShow(*web.show, Steps(), target);
    MoveFrameTimer(web.clock, target.elapsedMs);
    web.player = {};
    web.player.shownMs = target.elapsedMs;
    web.ended = false;
}

bool VideoPass(WebPlayer& web, uint32_t pass, uint32_t fps) {
    // The counter reads what the fixed-step clock reads at that pass, and the origin is 0.
    return PlayPass(web, GridPass(pass, fps).elapsedMs);
}

std::vector<float> Cuts(const std::vector<ScriptRow>& rows) {
    std::vector<float> cuts;
    for (const ScriptRow& row : rows) {
        if (std::strcmp(row.field, "viewMode") == 0 && row.start > 0.0f) {
            cuts.push_back(row.start);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}
