#include "app/options.h"

#include <algorithm>
#include <optional>

#include "app/capture_options.h"
#include "app/show.h"
#include "audio/music_playback.h"
#include "capture/picture_sequence_name.h"
#include "files/output_file.h"
#include "files/picture_file.h"
#include "render/worker_pool.h"

namespace {

constexpr uint64_t MAX_SECONDS = 1000000;

bool AllDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool ParseSeconds(const std::string& text, uint32_t& ms) {
    const size_t dot = text.find('.');
    const bool hasFraction = dot != std::string::npos;
    const std::string whole = text.substr(0, dot);
    const std::string fraction = hasFraction ? text.substr(dot + 1) : "";
    uint64_t seconds = 0;  // the whole part may be left out before a fraction (".25")
    if (whole.empty() ? !hasFraction : !ParseWhole(whole, seconds)) {
        return false;
    }
    if (seconds > MAX_SECONDS || (hasFraction && !AllDigits(fraction))) {
        return false;
    }
    uint64_t thousandths = 0;
    if (!fraction.empty()) {
        const std::string first3 = (fraction + "000").substr(0, 3);
        ParseWhole(first3, thousandths);
        thousandths += fraction.size() > 3 && fraction[3] >= '5';  // rounded to the millisecond
    }
    ms = static_cast<uint32_t>(seconds * 1000 + thousandths);
    return true;
}

bool ParseTime(const std::string& text, uint32_t& ms) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) {
        return ParseSeconds(text, ms);
    }
    // Seconds as a clock shows them: two digits below 60, then the decimals if any.
    const std::string seconds = text.substr(colon + 1);
    const bool clockSeconds = seconds.size() >= 2 && AllDigits(seconds.substr(0, 2)) && seconds[0] < '6' &&
                              (seconds.size() == 2 || seconds[2] == '.');
    uint64_t minutes = 0;
    uint32_t secondsMs = 0;
    if (!clockSeconds || !ParseWhole(std::string_view(text).substr(0, colon), minutes) ||
        minutes > MAX_SECONDS / 60 || !ParseSeconds(seconds, secondsMs)) {
        return false;
    }
    ms = static_cast<uint32_t>(minutes * 60000 + secondsMs);
    return true;
}

namespace {

constexpr uint32_t MAX_FPS = 1000;  // the counter counts milliseconds

// Seconds from 0 to before the show's end, as milliseconds.
bool ParseStart(const std::string& text, uint32_t& milliseconds) {
    uint32_t ms = 0;
    if (!ParseTime(text, ms) || ms >= SHOW_END_MS) {
        return false;
    }
    milliseconds = ms;
    return true;
}

bool ParsePassList(const std::string& text, std::vector<uint32_t>& passes) {
    passes.clear();
    size_t begin = 0;
    while (true) {
        size_t comma = text.find(',', begin);
        uint32_t pass = 0;
        if (!ParseWhole(text.substr(begin, comma - begin), pass)) {
            return false;
        }
        passes.push_back(pass);
        if (comma == std::string::npos) {
            return true;
        }
        begin = comma + 1;
    }
}

bool ParsePresenter(const std::string& text, uint8_t& flags) {
    if (text == "software") {
        flags = PRESENTER_SOFTWARE;
    } else if (text == "gpu") {
        flags = PRESENTER_GPU;
    } else if (text == "both") {
        flags = PRESENTER_SOFTWARE | PRESENTER_GPU;
    } else {
        return false;
    }
    return true;
}

// Sets a flag option; returns false if `name` is not one.
bool ParseFlag(const std::string& name, Options& options, bool& playOnlyOption) {
    if (name == "--windowed") {
        options.windowed = playOnlyOption = true;
    } else if (name == "--vsync") {
        options.vsync = playOnlyOption = true;
    } else if (name == "--mute") {
        options.mute = true;
    } else if (name == "--benchmark") {
        options.mode = RunMode::Benchmark;
    } else if (name == "--reference") {
        options.reference = true;
    } else if (name == "--verify") {
        options.verify = true;
    } else if (name == "-y") {
        options.overwrite = true;
    } else if (name == "--help" || name == "-h") {
        options.mode = RunMode::Help;
    } else if (name == "--version") {
        options.mode = RunMode::Version;
    } else {
        return false;
    }
    return true;
}

bool TakesValue(const std::string& name) {
    return name == "--presenter" || name == "--data" || name == "--seed" || name == "--fps" ||
           name == "--render-frame" || name == "--out" || name == "--hashes" || name == "--start" ||
           name == "--aspect" || name == "--script" || name == "--dump-script" || name == "--music" ||
           name == "--threads" || name == "--simd";
}

// The option's field when it takes a file or folder name, else nullptr.
std::string* NameField(const std::string& name, Options& options) {
    if (name == "--data") {
        return &options.dataDir;
    }
    if (name == "--out") {
        return &options.outPath;
    }
    if (name == "--hashes") {
        return &options.hashesPath;
    }
    if (name == "--script") {
        return &options.scriptPath;
    }
    if (name == "--dump-script") {
        return &options.dumpScriptPath;
    }
    if (name == "--music") {
        return &options.musicPath;
    }
    return nullptr;
}

// Stores a name-valued option and the mode it selects; returns an error text or "".
std::string ParseName(const std::string& name, const std::string& value, Options& options) {
    if (value.empty()) {
        return name + " needs a name";
    }
    *NameField(name, options) = value;
    if (name == "--hashes") {
        options.mode = RunMode::Hashes;
    } else if (name == "--dump-script") {
        options.mode = RunMode::DumpScript;
    } else if (name == "--music" && MusicKindForName(value, MUSIC_NONE) == MUSIC_NONE) {
        return "--music takes a module (.mod, .s3m, .xm, .it) or a stream (.mp3, .ogg), not '" + value + "'";
    }
    return "";
}

// Sets an option that takes a value; returns an error text or "".
std::string ParseValue(const std::string& name, const std::string& value, Options& options,
                       bool& playOnlyOption) {
    if (name == "--presenter") {
        playOnlyOption = true;
        if (!ParsePresenter(value, options.presenterFlags)) {
            return "--presenter takes software, gpu or both, not '" + value + "'";
        }
    } else if (NameField(name, options) != nullptr) {
        return ParseName(name, value, options);
    } else if (name == "--start") {
        playOnlyOption = true;
        if (!ParseStart(value, options.startMs)) {
            return "--start takes a time from 0 to before 196 seconds (12, 17.5 or 1:23.5), not '" + value +
                   "'";
        }
    } else if (name == "--aspect") {
        playOnlyOption = true;
        if (value != "keep" && value != "stretch") {
            return "--aspect takes keep or stretch, not '" + value + "'";
        }
        options.aspect = value == "keep" ? Aspect::Keep : Aspect::Stretch;
    } else if (name == "--seed") {
        if (!ParseWhole(value, options.seed)) {
            return "--seed takes a whole number from 0 to 4294967295, not '" + value + "'";
        }
        options.hasSeed = true;
    } else if (name == "--fps") {
        if (!ParseWhole(value, options.fps) || options.fps == 0 || options.fps > MAX_FPS) {
            return "--fps takes a whole number from 1 to 1000, not '" + value + "'";
        }
    } else if (name == "--threads") {
        if (!ParseWhole(value, options.threads) || options.threads == 0 ||
            options.threads > static_cast<uint32_t>(MAX_THREADS)) {
            return "--threads takes a whole number from 1 to 256, not '" + value + "'";
        }
    } else if (name == "--simd") {
        const std::optional<SimdLevel> level = SimdLevelNamed(value);
        if (!level) {
            return "--simd takes portable, sse2 or avx2, not '" + value + "'";
        }
        if (!SimdLevelAvailable(*level)) {
            return "--simd " + value + ": this processor does not have these instructions";
        }
        options.simd = *level;
    } else if (name == "--render-frame") {
        if (!ParsePassList(value, options.renderPasses)) {
            return "--render-frame takes pass numbers N or N,N,..., not '" + value + "'";
        }
        options.mode = RunMode::RenderFrame;
    }
    return "";
}

// Reads the option at args[i], and its value if it takes one (advancing i).
std::string ParseOne(const std::vector<std::string>& args, size_t& i, Options& options,
                     bool& playOnlyOption) {
    const std::string& name = args[i];
    if (ParseFlag(name, options, playOnlyOption)) {
        return "";
    }
    if (!TakesValue(name) && !IsCaptureOption(name)) {
        return "unknown option '" + name + "'";
    }
    if (i + 1 >= args.size()) {
        return "option " + name + " needs a value";
    }
    if (IsCaptureOption(name)) {
        return ParseCaptureValue(name, args[++i], options);
    }
    return ParseValue(name, args[++i], options, playOnlyOption);
}

bool Has(const std::vector<std::string>& args, const char* name) {
    for (const std::string& arg : args) {
        if (arg == name) {
            return true;
        }
    }
    return false;
}

// --out: a frame file's kind and a valid pattern of names, with the pass number in the file's
// name when there are several passes.
std::string CheckFrameName(const Options& options) {
    const std::string& out = options.outPath;
    if (out.empty()) {
        return "--render-frame needs --out FILE";
    }
    // A device or FIFO (/dev/stdout) has no format in its name: it gets a PNG.
    if (PictureFileKindOf(out) == PictureFileKind::None && !IsWrittenInPlace(out)) {
        return "--out takes a name ending in .png (a PNG picture) or .bgra (raw pixels), not '" + out + "'";
    }
    const FrameNamePattern pattern = ReadFrameNamePattern(out);
    if (!pattern.error.empty()) {
        return "--out: " + pattern.error;
    }
    if (pattern.numberInFolder) {
        return "--out: the pass number goes in the file's name, not in its folder: '" + out + "'";
    }
    if (options.renderPasses.size() > 1 && pattern.numbers == 0) {
        return "--out must contain %d (or %0Nd) when several passes are rendered";
    }
    return "";
}

// Checks that the options given belong together.
std::string CheckCombination(const std::vector<std::string>& args, const Options& options,
                             bool playOnlyOption) {
    int modes = Has(args, "--render-frame") + Has(args, "--benchmark") + Has(args, "--hashes") +
                Has(args, "--capture");
    if (modes > 1) {
        return "--render-frame, --benchmark, --hashes and --capture cannot be combined";
    }
    const RunMode mode = options.mode;
    if (options.overwrite && mode != RunMode::Capture && mode != RunMode::RenderFrame &&
        mode != RunMode::Hashes && mode != RunMode::DumpScript) {
        return "-y applies only to --capture, --render-frame, --hashes and --dump-script, which write files";
    }
    if (mode == RunMode::DumpScript) {
        return args.size() == 2u + options.overwrite ? "" : "--dump-script takes no other options but -y";
    }
    bool withSound = (options.mode == RunMode::Play || options.mode == RunMode::Capture) && !options.mute;
    if (Has(args, "--music") && !withSound) {
        return "--music applies only when the show is played or captured with sound";
    }
    bool headless = options.mode != RunMode::Play;
    if (headless && playOnlyOption) {
        return "--windowed, --presenter, --start, --aspect and --vsync apply only when the show is played";
    }
    if (options.mute && options.mode != RunMode::Play && options.mode != RunMode::Capture) {
        return "--mute applies only when the show is played or captured";
    }
    if (options.mode == RunMode::Play && (Has(args, "--fps") || Has(args, "--out") || options.reference)) {
        return "--fps, --out and --reference apply only to the modes without a window";
    }
    if (options.verify && (options.mode != RunMode::Benchmark || options.reference)) {
        return "--verify applies only to --benchmark without --reference";
    }
    if (options.mode != RunMode::RenderFrame && Has(args, "--out")) {
        return "--out applies only to --render-frame";
    }
    if (options.mode == RunMode::RenderFrame) {
        const std::string error = CheckFrameName(options);
        if (!error.empty()) {
            return error;
        }
    }
    return CheckCaptureOptions(args, options);
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    ParsedOptions parsed;
    bool playOnlyOption = false;
    std::vector<std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        // An option twice would silently take one of the two values: which was meant is unknown.
        if (std::find(given.begin(), given.end(), args[i]) != given.end()) {
            parsed.error = "option " + args[i] + " is given twice";
            return parsed;
        }
        given.push_back(args[i]);
        parsed.error = ParseOne(args, i, parsed.options, playOnlyOption);
        if (!parsed.error.empty()) {
            return parsed;
        }
    }
    RunMode mode = parsed.options.mode;
    if (mode == RunMode::Help || mode == RunMode::Version) {
        return parsed;
    }
    parsed.error = CheckCombination(args, parsed.options, playOnlyOption);
    return parsed;
}
