#pragma once
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "render/simd_level.h"

constexpr uint8_t PRESENTER_SOFTWARE = 1;
constexpr uint8_t PRESENTER_GPU = 2;

enum class RunMode { Play, RenderFrame, Benchmark, Hashes, Capture, DumpScript, Help, Version };

// How the 640 x 480 picture fills the window: stretched over all of it, or as large as it fits
// at its own 4:3 shape, centred between black bars.
enum class Aspect { Stretch, Keep };

// Everything the command line can set; defaults are the shipped configuration.
struct Options {
    RunMode mode = RunMode::Play;
    bool windowed = false;
    bool vsync = false;  // --vsync: each frame presented on the display's refresh
    uint8_t presenterFlags = PRESENTER_SOFTWARE;
    bool mute = false;
    uint32_t startMs = 0;  // --start, in milliseconds of the demo clock
    Aspect aspect = Aspect::Stretch;
    std::string dataDir;  // empty: look for data/ in the working directory, then beside the program
    bool hasSeed = false;
    uint32_t seed = 0;
    uint32_t fps = 60;                   // passes per second of the fixed-step clock
    std::vector<uint32_t> renderPasses;  // --render-frame, in the order given
    std::string outPath;
    std::string hashesPath;            // --hashes
    bool reference = false;            // draw with the straightforward reference renderer
    uint32_t threads = 0;              // --threads: drawing threads in all; 0: one per core of the machine
    SimdLevel simd = BestSimdLevel();  // --simd: vector instructions of the fast renderer
    bool verify = false;               // --benchmark --verify: also time the reference, compare frames
    std::string capturePath;           // --capture
    uint32_t fromMs = 0;               // --from, in milliseconds of the fixed-step clock
    bool hasTo = false;
    uint32_t toMs = 0;       // --to
    int captureWidth = 640;  // --size
    int captureHeight = 480;
    std::string musicPath;       // --music: the soundtrack; empty: the data folder's music file
    std::string scriptPath;      // --script: the scene script's file; empty: the built-in script
    std::string dumpScriptPath;  // --dump-script: where to write the built-in script, "-" for stdout
    bool overwrite = false;      // -y: replace output files that exist
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line was valid
};

// A whole number of decimal digits only, the whole of `text`, within the range of T.
template <class T>
bool ParseWhole(std::string_view text, T& value) {
    static_assert(std::is_unsigned_v<T>);  // no sign is taken
    const char* end = text.data() + text.size();
    auto [last, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && last == end;
}
// Seconds with optional decimals ("12", "17.5", ".25", "0.016"), rounded to the millisecond;
// false for any other text ("1.", "1e2", "-1") or more than a million seconds.
bool ParseSeconds(const std::string& text, uint32_t& ms);
// A time as players write it: seconds as ParseSeconds reads them, or minutes and seconds,
// "M:SS" or "M:SS.mmm" ("1:23.5" is 83.5 s), the seconds in two digits below 60.
bool ParseTime(const std::string& text, uint32_t& ms);

// Reads the arguments after the program name.
ParsedOptions ParseOptions(const std::vector<std::string>& args);

// The usage text printed by --help.
const char* UsageText();
// The line after a usage error's reason.
inline constexpr const char* USAGE_HINT = "Run 'voxelshow --help' for the usage.";
