// The functions the page calls. Each returns a status and leaves any failure's one line (the
// file and the reason) for web_error, so that no exception crosses into JavaScript.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "app/benchmark.h"
#include "app/frame_hash.h"
#include "app/frame_hashes.h"
#include "app/options.h"
#include "app/seek.h"
#include "backends/web/frame_upscale.h"
#include "backends/web/web_player.h"
#include "platform/frame_stats.h"
#include "render/framebuffer.h"
#include "render/simd_level.h"
#include "script/script_numbers.h"

namespace {

// The page's one show and the last failure's text.
WebPlayer web;
std::string lastError;
std::string cutsText;
std::vector<uint32_t> scaledFrame;  // the frame a video is made of, at its size
std::string hashText;
float numberRead = 0.0f;

template <class Step>
int Guarded(Step step) {
    try {
        step();
        return 0;
    } catch (const std::exception& error) {
        lastError = error.what();
    }
    return 1;
}

// The options of a headless run on the page's data, on the one thread the page has.
Options HeadlessOptions(RunMode mode, uint32_t fps, const char* scriptPath) {
    Options options;
    options.mode = mode;
    options.dataDir = "/data";
    options.fps = fps;
    options.threads = 1;
    options.scriptPath = scriptPath;
    return options;
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* web_error() {
    return lastError.c_str();
}

EMSCRIPTEN_KEEPALIVE int web_start(const char* scriptPath, uint32_t seed) {
    return Guarded([&] { StartWebPlayer(web, "/data", scriptPath, seed); });
}

EMSCRIPTEN_KEEPALIVE void web_begin(uint32_t now) {
    BeginShow(web, now);
}

EMSCRIPTEN_KEEPALIVE int web_pass(uint32_t now) {
    return PlayPass(web, now) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE double web_command(int command, uint32_t now) {
    return static_cast<double>(Command(web, static_cast<PlayerCommand>(command), now));
}

EMSCRIPTEN_KEEPALIVE uint32_t web_seek(uint32_t elapsed, uint32_t now) {
    return SeekTo(web, elapsed, now);
}

EMSCRIPTEN_KEEPALIVE int web_switch_script(const char* path, uint32_t now) {
    return Guarded([&] { SwitchWebScript(web, path, now); });
}

EMSCRIPTEN_KEEPALIVE int web_paused() {
    return web.player.paused ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE uint32_t web_shown_ms() {
    return web.player.shownMs;
}

// The show's last pass on the grid of 60 passes a second, the last that ?pass draws.
EMSCRIPTEN_KEEPALIVE double web_last_pass() {
    return static_cast<double>(LastPassOfShow(60));
}

// The counter reading at which the demo clock reads 0, while it runs: music that joins the show
// late starts at its reading minus this.
EMSCRIPTEN_KEEPALIVE uint32_t web_clock_origin() {
    return startTime;
}

EMSCRIPTEN_KEEPALIVE const char* web_title() {
    return titleText;
}

EMSCRIPTEN_KEEPALIVE const uint32_t* web_frame() {
    return frameBuffer;
}

// A video's passes on the grid of `fps` a second: the first through a seek, each next one as the
// fixed-step clock's run draws it (0 once the show has ended before it).
EMSCRIPTEN_KEEPALIVE void web_video_start(uint32_t firstPass, uint32_t fps) {
    StartVideoAt(web, firstPass, fps);
}

EMSCRIPTEN_KEEPALIVE int web_video_pass(uint32_t pass, uint32_t fps) {
    return VideoPass(web, pass, fps) ? 1 : 0;
}

// The frame scaled `factor` times each way (nearest neighbour), in the framebuffer's layout.
EMSCRIPTEN_KEEPALIVE const uint32_t* web_video_frame(uint32_t factor) {
    if (factor <= 1) {
        return frameBuffer;
    }
    UpscaleFrame(frameBuffer, factor, scaledFrame);
    return scaledFrame.data();
}

// The frame's hash as --hashes writes it.
EMSCRIPTEN_KEEPALIVE const char* web_frame_hash() {
    hashText = HashText(FrameHash(frameBuffer));
    return hashText.c_str();
}

// The cuts as seconds separated by spaces.
EMSCRIPTEN_KEEPALIVE const char* web_cuts() {
    cutsText.clear();
    for (float cut : Cuts(web.rows)) {
        cutsText += std::to_string(cut) + " ";
    }
    return cutsText.c_str();
}

// A number of a script's number column read as the script parser reads it: 0 when it reads (its
// value then in web_number_read), 1 when it is not a number, 2 when it is outside a float's range.
EMSCRIPTEN_KEEPALIVE int web_read_number(const char* text) {
    return static_cast<int>(ReadNumber(text, numberRead));
}

EMSCRIPTEN_KEEPALIVE float web_number_read() {
    return numberRead;
}

// The --hashes run written to `outPath` in the page's file system; 0 when it succeeded.
EMSCRIPTEN_KEEPALIVE int web_hashes(uint32_t fps, const char* outPath, const char* scriptPath) {
    int status = 1;
    const int failed = Guarded([&] {
        Options options = HeadlessOptions(RunMode::Hashes, fps, scriptPath);
        options.hashesPath = outPath;
        status = WriteFrameHashes(options);
    });
    return failed != 0 ? 1 : status;
}

// The --benchmark run at the vector level named `simd` (empty: the best one), its figures printed
// on standard output.
EMSCRIPTEN_KEEPALIVE int web_benchmark(uint32_t fps, const char* scriptPath, const char* simd) {
    Options options = HeadlessOptions(RunMode::Benchmark, fps, scriptPath);
    if (*simd != '\0') {
        const std::optional<SimdLevel> level = SimdLevelNamed(simd);
        if (!level || !SimdLevelAvailable(*level)) {
            lastError = std::string("?simd=") + simd + ": this browser draws with portable or sse2";
            return 1;
        }
        options.simd = *level;
    }
    int status = 1;
    const int failed = Guarded([&] { status = RunBenchmark(options); });
    std::fflush(stdout);
    return failed != 0 ? 1 : status;
}
}
