#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/headless_platform.h"
#include "app/player.h"
#include "app/show.h"
#include "platform/clock.h"
#include "script/script_row.h"

// The counter of the page's clock: the reading the page gives before each call, the audio
// clock's milliseconds while the music plays, so that the picture follows the sound.
struct PageClock : Clock {
    uint32_t ReadMilliseconds() override { return now; }
    uint32_t now = 0;
};

// The show as the page plays it, one pass per call from the browser's frame callback.
struct WebPlayer {
    std::unique_ptr<Show> show;
    std::vector<ScriptRow> rows;  // the script playing, for the cuts the page marks
    PageClock clock;
    HeadlessPlatform title;  // keeps the title text the frame timer writes
    PlayerState player;
    bool ended = false;
};

// Builds the show from `dataDir` with the script file's rows (the built-in script for ""),
// seeded with `seed`. Throws AssetError or std::runtime_error naming the file and the reason.
void StartWebPlayer(WebPlayer& web, const std::string& dataDir, const std::string& scriptPath, uint32_t seed);

// Pass 0 drawn at demo time 0 and the demo clock started at the counter reading `now`.
void BeginShow(WebPlayer& web, uint32_t now);

// One pass at the counter reading `now`: the clock advanced, the pass due drawn. False, with
// the last frame left standing, once the clock is past the show's end; nothing is drawn while
// paused.
bool PlayPass(WebPlayer& web, uint32_t now);

// Acts on a key's command at the counter reading `now`. Returns the demo time in milliseconds
// that a jump landed on, so that the page moves the music there, or -1 if nothing jumped.
int64_t Command(WebPlayer& web, PlayerCommand command, uint32_t now);

// Jumps to `elapsed` ms of the demo clock (within the show) as a key's jump does, from the seek
// bar. Returns where it landed.
uint32_t SeekTo(WebPlayer& web, uint32_t elapsed, uint32_t now);

// Plays the script file's rows from the moment shown (the frame on screen drawn again while
// paused). A script with an error throws std::runtime_error "FILE:LINE: reason" and the old
// tracks play on.
void SwitchWebScript(WebPlayer& web, const std::string& path, uint32_t now);

// Pass `firstPass` of the grid of `fps` passes a second, drawn exactly as a run on that grid
// draws it (through a seek), with the demo clock reading its time: the first frame of a video.
void StartVideoAt(WebPlayer& web, uint32_t firstPass, uint32_t fps);

// The next pass of that grid, `pass`, drawn as the fixed-step clock's run draws it. False, with
// nothing drawn, when the show has ended before it.
bool VideoPass(WebPlayer& web, uint32_t pass, uint32_t fps);

// The start times, in seconds, of the rows that change the landscape's view: the show's cuts.
std::vector<float> Cuts(const std::vector<ScriptRow>& rows);
