#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "app/capture_show.h"
#include "app/data_directory.h"
#include "app/options.h"
#include "app/show_settings.h"
#include "capture/picture_sequence_name.h"
#include "test_files.h"

namespace {

// What no run of the real program in the suite shows: the seed, the vector level, the reference
// renderer, the benchmark's own rate, which show reloads its script, and --start's decimals.
TEST(CommandLine, ReadsTheOptionsNoProgramRunShows) {
    ParsedOptions play = ParseOptions({"--seed", "42", "--threads", "1"});
    ASSERT_EQ(play.error, "");         // the played show draws on threads too
    EXPECT_FALSE(play.options.vsync);  // presents at once unless asked
    EXPECT_TRUE(ParseOptions({"--vsync", "--windowed"}).options.vsync);
    EXPECT_TRUE(play.options.hasSeed);
    EXPECT_EQ(play.options.seed, 42u);
    EXPECT_EQ(play.options.aspect, Aspect::Stretch);

    for (const auto& [text, ms] : {std::pair<const char*, uint32_t>{"150", 150000},
                                   {"150.5", 150500},
                                   {"0", 0},
                                   {".25", 250},
                                   {"195.999", 195999}}) {
        ParsedOptions started = ParseOptions({"--start", text, "--aspect", "keep"});
        ASSERT_EQ(started.error, "") << text;
        EXPECT_EQ(started.options.startMs, ms) << text;
        EXPECT_EQ(SettingsFor(started.options).startMs, ms) << text;
        EXPECT_EQ(started.options.aspect, Aspect::Keep);
    }

    EXPECT_TRUE(ParseOptions({"--hashes", "h.txt", "--fps", "7", "--reference"}).options.reference);
    ParsedOptions benchmark = ParseOptions({"--benchmark", "--simd", "portable"});
    ASSERT_EQ(benchmark.error, "");
    EXPECT_EQ(benchmark.options.simd, SimdLevel::Portable);
    EXPECT_EQ(benchmark.options.fps, 60u);

    ParsedOptions scripted = ParseOptions({"--script", "s.txt", "--windowed"});
    ASSERT_EQ(scripted.error, "");
    EXPECT_TRUE(SettingsFor(scripted.options).reloadScript);  // only the played show reloads
    ParsedOptions scriptedFrames =
        ParseOptions({"--script", "s.txt", "--render-frame", "5", "--out", "f.png"});
    ASSERT_EQ(scriptedFrames.error, "");
    EXPECT_EQ(SettingsFor(scriptedFrames.options).scriptPath, "s.txt");
    EXPECT_FALSE(SettingsFor(scriptedFrames.options).reloadScript);
}

TEST(CommandLine, RejectsUnknownMissingAndMalformedValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"--benchmark", "--fps", "1001"},
        {"--benchmark", "--fps", "12x"},
        {"--render-frame", "5,", "--out", "f%d.png"},
        {"--render-frame", "4294967296", "--out", "f.png"},
        {"--seed", "-1"},
        {"--seed"},
        {"--presenter", "opengl"},
        {"--render-frame", "10"},                              // no --out
        {"--render-frame", "1", "--benchmark", "--out", "f"},  // two modes
        {"--fps", "30"},                                       // the played show has its real clock
        {"--benchmark", "--windowed"},
        {"--benchmark", "--out", "f.png"},
        {"--hashes", "h.txt", "--out", "f.png"},
        {"--hashes", "h.txt", "--benchmark"},
        {"--reference"},  // the played show always draws with the fast renderer
        {"--threads", "0"},
        {"--threads", "257"},
        {"--threads", "two"},
        {"--simd", "mmx"},
        {"--verify"},  // only the benchmark verifies itself
        {"--hashes", "h.txt", "--verify"},
        {"--benchmark", "--verify", "--reference"},  // nothing to compare the reference with
        {"--script", ""},
        {"--dump-script", "-", "--seed", "1"},
        {"--music", "song.ogg", "--hashes", "h.txt"},
        {"--start", "196.0"},
        {"--start", "195.9996"},  // the end of the show, to the millisecond
        {"--start", "1."},
        {"--start", "abc"},
        {"--start", ""},
        {"--render-frame", "5", "--out", "f.png", "--start", "3"},  // headless passes are numbered
        {"--benchmark", "--aspect", "keep"},
        {"--hashes", "h.txt", "--vsync"},  // nothing is presented
        {"--hashes", "h.txt", "--mute"},
        {"--from", "3"},  // capture options without --capture
        {"--capture", "a.mp4", "--benchmark"},
        {"--capture", "a.mp4", "--windowed"},
        {"--capture", "a.mp4", "--reference"},
        {"--capture", "a.mp4", "--out", "f.png"},
        {"--capture", "a.mp4", "--from", "1.2.3"},
        {"--capture", "a.mp4", "--size", "640"},
        {"--capture", "a.mp4", "--size", "640x"},
        {"--capture", "a.wav", "--size", "640x480"},
        {"--capture", ""},
        {"--capture", "a.mp4", "--mute", "--music", "m.mp3"},  // no sound to take it from
    };
    for (const auto& args : bad) {
        EXPECT_NE(ParseOptions(args).error, "") << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}

// The capture's name, size, rate and default music are held by its runs of the real program.
TEST(CommandLine, CaptureTakesItsSpanInSecondsAndItsMusic) {
    ParsedOptions capture = ParseOptions(
        {"--capture", "out/f%d.png", "--from", "17.5", "--to", "20.0005", "--fps", "30", "--data", "d"});
    ASSERT_EQ(capture.error, "");
    EXPECT_EQ(capture.options.fromMs, 17500u);
    EXPECT_EQ(capture.options.toMs, 20001u);  // to the nearest millisecond
    CaptureSettings settings = CaptureSettingsFor(capture.options, "d");
    EXPECT_EQ(settings.span.firstPass, 525u);  // 17.5 s
    EXPECT_EQ(settings.span.frameCount, 76u);  // up to pass 600 at 20.000 s, which is before 20.001

    Options whole =
        ParseOptions({"--capture", "show.mp4", "--music", "other.ogg", "--script", "s.txt"}).options;
    settings = CaptureSettingsFor(whole, "d");
    EXPECT_EQ(settings.span.firstPass, 0u);
    EXPECT_EQ(settings.span.frameCount, 11761u);  // passes 0 to 11,760 at 60 fps
    EXPECT_EQ(settings.musicPath, "other.ogg");
    EXPECT_EQ(SettingsFor(whole).scriptPath, "s.txt");
    EXPECT_FALSE(SettingsFor(whole).reloadScript);  // only the played show reloads

    Options muted = ParseOptions({"--capture", "show.mkv", "--mute", "--from", "195.99"}).options;
    settings = CaptureSettingsFor(muted, "d");
    EXPECT_EQ(settings.musicPath, "");
    EXPECT_EQ(settings.span.firstPass, 11760u);
    EXPECT_EQ(settings.span.frameCount, 1u);
}

// Headless runs are seeded with 0 unless told otherwise; threads default to the machine's
// cores, and are at most as many, and the vector level to its best.
TEST(CommandLine, HeadlessDefaults) {
    Options options = ParseOptions({"--benchmark", "--data", "somewhere"}).options;
    ShowSettings settings = SettingsFor(options);
    EXPECT_EQ(settings.seed, 0u);
    EXPECT_EQ(settings.dataDir, "somewhere");
    EXPECT_EQ(settings.threads, std::max(1u, std::thread::hardware_concurrency()));
    EXPECT_EQ(settings.simd, BestSimdLevel());
    options.seed = 7;
    options.hasSeed = true;
    options.threads = 1;
    EXPECT_EQ(SettingsFor(options).seed, 7u);
    EXPECT_EQ(SettingsFor(options).threads, 1u);
    options.threads = 256;
    EXPECT_EQ(SettingsFor(options).threads, settings.threads);
}

TEST(FrameNames, PassNumberPaddedOrNotAndALiteralPercent) {
    EXPECT_EQ(FrameNameFor("out/f%d.png", 60), "out/f60.png");
    EXPECT_EQ(FrameNameFor("a%d-%d.bgra", 7), "a7-7.bgra");
    EXPECT_EQ(FrameNameFor("f%05d.png", 7500), "f07500.png");
    EXPECT_EQ(FrameNameFor("f%02d.png", 7500), "f7500.png");  // wider numbers are not cut
    EXPECT_EQ(FrameNameFor("100%%/f%%d%d.png", 3), "100%/f%d3.png");

    EXPECT_EQ(ReadFrameNamePattern("100%%/f%%d%d.png").numbers, 1);
    EXPECT_FALSE(ReadFrameNamePattern("100%%/f%%d%d.png").numberInFolder);
    EXPECT_TRUE(ReadFrameNamePattern("p%03d/f%d.png").numberInFolder);
    EXPECT_EQ(ReadFrameNamePattern("f%%d.png").numbers, 0);
    for (const char* bad : {"f%5d.png", "f%s.png", "f%00d.png", "f%010d.png", "f%.png", "f%", "%%%"}) {
        EXPECT_NE(ReadFrameNamePattern(bad).error, "") << bad;
    }
}

TEST(CommandLine, FrameAndCaptureNames) {
    for (const char* out : {"X.PNG", "f.Bgra", "f%03d.png"}) {
        EXPECT_EQ(ParseOptions({"--render-frame", "1,2", "--out", out}).error.empty(), out[1] == '%') << out;
        EXPECT_EQ(ParseOptions({"--render-frame", "1", "--out", out}).error, "") << out;
    }
    for (const char* out : {"x.jpg", "x.bmp", "x", "x.png.txt", "%d/x.png", "x%.png"}) {
        EXPECT_NE(ParseOptions({"--render-frame", "1", "--out", out}).error, "") << out;
    }
    EXPECT_NE(ParseOptions({"--render-frame", "1", "--out", "x.jpg"}).error.find(".png"), std::string::npos);
    for (const char* name : {"SHOW.MP4", "f%05d.png", "a%%b%d.PNG"}) {
        EXPECT_EQ(ParseOptions({"--capture", name}).error, "") << name;
    }
    for (const char* name : {"f%%d.png", "f%5d.png", "f%d/g%d.png"}) {
        EXPECT_NE(ParseOptions({"--capture", name}).error, "") << name;
    }
    EXPECT_EQ(ParseOptions({"--music", "SONG.MP3"}).error, "");
    EXPECT_EQ(ParseOptions({"--music", "tune.XM", "--capture", "a.wav"}).error, "");
}

// Minutes and seconds as players write them, and the show's end as the capture's summary
// prints it.
TEST(CommandLine, TimesInSecondsOrMinutesAndSeconds) {
    for (const auto& [text, ms] : {std::pair<const char*, uint32_t>{"1:23.5", 83500},
                                   {"01:23.5", 83500},
                                   {"2:05", 125000},
                                   {"0:00.25", 250},
                                   {"3:15.999", 195999}}) {
        ParsedOptions started = ParseOptions({"--start", text});
        ASSERT_EQ(started.error, "") << text;
        EXPECT_EQ(started.options.startMs, ms) << text;
        ParsedOptions span = ParseOptions({"--capture", "a.mkv", "--from", text, "--to", "3:16.02"});
        ASSERT_EQ(span.error, "") << text;
        EXPECT_EQ(span.options.fromMs, ms) << text;
    }
    for (const char* bad : {"1:60", "1:5", "1:234", "1:2:3", ":30", "1:", "1:23.", "3:16", "-1:00", "1:2x"}) {
        EXPECT_NE(ParseOptions({"--start", bad}).error, "") << bad;
    }
    for (const char* end : {"196.02", "3:16.02", "196.017"}) {
        ParsedOptions whole = ParseOptions({"--capture", "a.mkv", "--from", "196", "--to", end});
        ASSERT_EQ(whole.error, "") << end;
        EXPECT_EQ(CaptureSettingsFor(whole.options, "d").span.frameCount, 1u) << end;  // pass 11760
    }
    EXPECT_NE(ParseOptions({"--capture", "a.mkv", "--to", "196.03"}).error, "");
    EXPECT_EQ(ParseOptions({"--capture", "a.mkv", "--to", "196.04", "--fps", "30"}).error, "");
    EXPECT_NE(ParseOptions({"--capture", "a.mkv", "--to", "196.05", "--fps", "30"}).error, "");
}

// Runs in a fresh working directory and returns to the old one afterwards.
struct InDirectory {
    explicit InDirectory(const std::string& path) : previous(std::filesystem::current_path()) {
        std::filesystem::current_path(path);
    }
    ~InDirectory() { std::filesystem::current_path(previous); }
    std::filesystem::path previous;
};

TEST(DataDirectory, GivenThenWorkingDirectoryThenBesideTheProgram) {
    EXPECT_EQ(FindDataDirectory("given"), "given");
    TempDir dir;
    InDirectory inside(dir.path);
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(FindDataDirectory(""), (program.parent_path() / "data").string());
    std::filesystem::create_directory("data");
    EXPECT_EQ(FindDataDirectory(""), "data");
}

}  // namespace
