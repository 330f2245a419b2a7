#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>

#include "app/data_directory.h"
#include "app/frame_file.h"
#include "app/options.h"
#include "app/show_settings.h"
#include "test_files.h"

namespace {

TEST(CommandLine, ReadsEveryOption) {
    ParsedOptions none = ParseOptions({});  // the shipped configuration
    ASSERT_EQ(none.error, "");
    EXPECT_EQ(none.options.mode, RunMode::Play);
    EXPECT_FALSE(none.options.windowed);
    EXPECT_EQ(none.options.presenterFlags, PRESENTER_SOFTWARE);

    ParsedOptions play =
        ParseOptions({"--windowed", "--presenter", "both", "--mute", "--data", "d", "--seed", "42"});
    ASSERT_EQ(play.error, "");
    EXPECT_TRUE(play.options.windowed);
    EXPECT_TRUE(play.options.mute);
    EXPECT_EQ(play.options.presenterFlags, 3);
    EXPECT_EQ(play.options.dataDir, "d");
    EXPECT_TRUE(play.options.hasSeed);
    EXPECT_EQ(play.options.seed, 42u);

    ParsedOptions frames = ParseOptions({"--render-frame", "60,900,2520", "--fps", "30", "--out", "f%d.png"});
    ASSERT_EQ(frames.error, "");
    EXPECT_EQ(frames.options.mode, RunMode::RenderFrame);
    EXPECT_EQ(frames.options.renderPasses, (std::vector<uint32_t>{60, 900, 2520}));
    EXPECT_EQ(frames.options.fps, 30u);

    ParsedOptions hashes = ParseOptions({"--hashes", "h.txt", "--fps", "7", "--reference"});
    ASSERT_EQ(hashes.error, "");
    EXPECT_EQ(hashes.options.mode, RunMode::Hashes);
    EXPECT_EQ(hashes.options.hashesPath, "h.txt");
    EXPECT_TRUE(hashes.options.reference);

    ParsedOptions hardware =
        ParseOptions({"--benchmark", "--verify", "--threads", "3", "--simd", "portable"});
    ASSERT_EQ(hardware.error, "");
    EXPECT_TRUE(hardware.options.verify);
    EXPECT_EQ(hardware.options.threads, 3u);
    EXPECT_EQ(hardware.options.simd, SimdLevel::Portable);
    EXPECT_EQ(ParseOptions({"--threads", "1"}).error, "");  // the played show draws on threads too

    EXPECT_EQ(ParseOptions({"--benchmark"}).options.mode, RunMode::Benchmark);
    EXPECT_EQ(ParseOptions({"--benchmark"}).options.fps, 60u);
    EXPECT_EQ(ParseOptions({"--help"}).options.mode, RunMode::Help);
    EXPECT_EQ(ParseOptions({"--version"}).options.mode, RunMode::Version);
}

TEST(CommandLine, RejectsUnknownMissingAndMalformedValues) {
    const std::vector<std::vector<std::string>> bad = {
        {"--fullscreen"},
        {"--benchmark", "--fps", "0"},
        {"--benchmark", "--fps", "1001"},
        {"--benchmark", "--fps", "12x"},
        {"--render-frame", "-3", "--out", "f.png"},
        {"--render-frame", "5,,6", "--out", "f%d.png"},
        {"--render-frame", "5,", "--out", "f%d.png"},
        {"--render-frame", "4294967296", "--out", "f.png"},
        {"--seed", "abc"},
        {"--seed", "-1"},
        {"--seed"},
        {"--presenter", "opengl"},
        {"--render-frame", "10"},                              // no --out
        {"--render-frame", "1,2", "--out", "f.png"},           // several passes, one name
        {"--render-frame", "1", "--benchmark", "--out", "f"},  // two modes
        {"--fps", "30"},                                       // the played show has its real clock
        {"--benchmark", "--windowed"},
        {"--benchmark", "--out", "f.png"},
        {"--hashes", "h.txt", "--out", "f.png"},
        {"--hashes", "h.txt", "--benchmark"},
        {"--hashes"},
        {"--reference"},  // the played show always draws with the fast renderer
        {"--threads", "0"},
        {"--threads", "257"},
        {"--threads", "two"},
        {"--simd", "mmx"},
        {"--simd"},
        {"--verify"},  // only the benchmark verifies itself
        {"--hashes", "h.txt", "--verify"},
        {"--benchmark", "--verify", "--reference"},  // nothing to compare the reference with
    };
    for (const auto& args : bad) {
        EXPECT_NE(ParseOptions(args).error, "") << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
}

TEST(CommandLine, SeedDefaultsToZeroWhenHeadless) {
    Options options = ParseOptions({"--benchmark", "--data", "somewhere"}).options;
    ShowSettings settings = SettingsFor(options);
    EXPECT_EQ(settings.seed, 0u);
    EXPECT_EQ(settings.dataDir, "somewhere");
    options.seed = 7;
    options.hasSeed = true;
    EXPECT_EQ(SettingsFor(options).seed, 7u);
}

TEST(CommandLine, ThreadsDefaultToTheMachinesCoresAndSimdToItsBestLevel) {
    const ShowSettings settings = SettingsFor(ParseOptions({"--benchmark"}).options);
    EXPECT_EQ(settings.threads, std::max(1u, std::thread::hardware_concurrency()));
    EXPECT_EQ(settings.simd, BestSimdLevel());
    EXPECT_EQ(SettingsFor(ParseOptions({"--benchmark", "--threads", "5"}).options).threads, 5u);
}

TEST(FrameFiles, PassNumberReplacesEveryPercentD) {
    EXPECT_EQ(FrameFileName("out/f%d.png", 60), "out/f60.png");
    EXPECT_EQ(FrameFileName("a%d-%d.bgra", 7), "a7-7.bgra");
    EXPECT_EQ(FrameFileName("plain%s%n.png", 7), "plain%s%n.png");  // nothing else is a format
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
