#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "anim/demo_clock.h"
#include "app/player.h"
#include "app/script_reload.h"
#include "app/seek.h"
#include "app/show.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"
#include "render/framebuffer.h"
#include "render/random.h"

namespace {

constexpr float SHOW_SECONDS = 196.0f;
constexpr uint32_t PAUSED_WAIT_MS = 20;  // a paused show waits for events instead of spinning

// Everything the loop works with, and where it stands.
struct Loop {
    Show& show;
    const DrawingSteps& steps;
    Platform& platform;
    Clock& clock;
    PassObserver* observer;
    ScriptWatch* watch;  // the script file's saves, when the show reloads them
    PlayerState player;
    uint32_t pass = 0;  // number of the pass drawn next, on the clock's grid
    ShowEnd end;
};

void Drew(Loop& loop) {
    if (loop.observer != nullptr) {
        loop.observer->AfterDraw(loop.pass, loop.show);
    }
    ++loop.pass;
    ++loop.end.passesDrawn;
}

// The show and the music to the pass at `elapsedMs` as the clock lands it, and the demo clock's
// origin moved there: the frame shown is then the one drawn at the clock's reading.
void JumpTo(Loop& loop, uint32_t elapsedMs) {
    const uint32_t landed = loop.clock.LandOn(elapsedMs);
    SeekShow(loop.show, loop.steps, {landed, loop.clock.GridFps()});
    loop.platform.SeekMusic(landed);
    MoveFrameTimer(loop.clock, landed);
    loop.player.shownMs = landed;
    loop.player.frameAtClock = true;
    loop.pass = static_cast<uint32_t>(FirstPassAtOrAfter(landed, loop.clock.GridFps()));
    Drew(loop);
}

// Acts on the viewer's command; true when it put a new frame in the framebuffer.
bool Obey(Loop& loop, PlayerCommand command) {
    PlayerState& player = loop.player;
    if (command == PlayerCommand::PauseOrResume) {
        player.paused = !player.paused;
        if (!player.paused) {
            MoveFrameTimer(loop.clock, elapsedMs);  // the clock goes on from where it stood
        }
        loop.platform.PauseMusic(player.paused);
        return false;
    }
    const std::optional<uint32_t> target =
        CommandTarget(command, player.shownMs, player.paused, loop.clock.GridFps());
    if (!target) {
        return false;
    }
    JumpTo(loop, *target);
    // Played on from the last pass, the show would end with the next one: it holds there instead,
    // for the viewer to jump back, go on to the end or leave.
    if (!player.paused && *target >= LastPassMs(loop.clock.GridFps())) {
        player.paused = true;
        loop.platform.PauseMusic(true);
    }
    return true;
}

// Plays the latest good save of the script, if there is one, at the moment shown: while paused
// the frame on screen is drawn again, otherwise the pass due at the clock's reading is drawn with
// the new tracks. The clock, the music and the title's statistics go on untouched. True when
// it put a new frame in the framebuffer.
bool Reload(Loop& loop) {
    if (loop.watch == nullptr) {
        return false;
    }
    const std::optional<std::vector<ScriptRow>> rows = TakeGoodSave(*loop.watch);
    if (!rows) {
        return false;
    }
    PlayerState& player = loop.player;
    const uint32_t at = player.paused ? player.shownMs : elapsedMs;
    SwitchScript(loop.show, *rows, loop.steps, {at, loop.clock.GridFps()});
    std::printf("script reloaded: %zu tracks\n", rows->size());
    std::fflush(stdout);
    if (!player.paused) {
        player.shownMs = at;
        player.frameAtClock = true;
        Drew(loop);
    }
    return true;
}

ShowEnd RunLoop(Loop& loop) {
    Platform& platform = loop.platform;
    while (true) {
        platform.HandleEvents();
        if (platform.ShouldLeave()) {
            loop.end.leftByRequest = true;
            return loop.end;
        }
        const bool jumped = Obey(loop, platform.TakeCommand());
        const bool reloaded = Reload(loop);
        if (loop.player.paused) {
            if (jumped || reloaded) {
                platform.Present(frameBuffer);
                UpdateWindowTitle(platform);
            } else {
                platform.WaitForEvent(PAUSED_WAIT_MS);
            }
            continue;
        }
        platform.Present(frameBuffer);
        if (SHOW_SECONDS < demoTime) {
            return loop.end;
        }
        if (!loop.player.frameAtClock) {
            loop.player.shownMs = elapsedMs;
            DrawPass(loop.show, loop.steps, loop.observer);
            Drew(loop);
        }
        loop.player.frameAtClock = false;
        UpdateFrameTimer(loop.clock);
        UpdateWindowTitle(platform);
    }
}

// Starts the music and the clock where the show starts; a show that starts late has its first
// pass drawn by then.
void Start(Loop& loop, const ShowSettings& settings) {
    const std::string music = settings.musicPath.empty() ? MusicPath(settings.dataDir) : settings.musicPath;
    if (settings.startMs == 0) {
        RewindShow(loop.show);
        loop.platform.StartMusic(music.c_str(), 0);
        StartFrameTimer(loop.clock);
        return;
    }
    JumpTo(loop, settings.startMs);  // before the music is loaded, so it moves the picture alone
    loop.platform.StartMusic(music.c_str(), loop.player.shownMs);
    MoveFrameTimer(loop.clock, loop.player.shownMs);  // the clock starts with the music
}

}  // namespace

ShowEnd PlayBuiltShow(Show& show, const ShowSettings& settings, Platform& platform, Clock& clock,
                      PassObserver* observer, ScriptWatch* watch) {
    Loop loop{show, StepsFor(settings.renderer), platform, clock, observer, watch, {}, 0, {}};
    try {
        Start(loop, settings);
        const ShowEnd end = RunLoop(loop);
        platform.StopMusic();
        return end;
    } catch (...) {
        platform.StopMusic();
        throw;
    }
}

ShowEnd RunShow(const ShowSettings& settings, Platform& platform, Clock& clock, PassObserver* observer) {
    SeedRandom(settings.seed);
    ResetFrameStats();
    // Watched before the script is read, so that no save made while the show loads is missed.
    std::unique_ptr<ScriptWatch> watch =
        settings.reloadScript ? WatchScriptFile(settings.scriptPath) : nullptr;
    std::unique_ptr<Show> show = BuildShow(settings);
    return PlayBuiltShow(*show, settings, platform, clock, observer, watch.get());
}
