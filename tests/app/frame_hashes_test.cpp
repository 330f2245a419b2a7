#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "app/dump_script.h"
#include "app/frame_hash.h"
#include "app/frame_hashes.h"
#include "app/headless_platform.h"
#include "app/seek.h"
#include "app/show.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"
#include "render/framebuffer.h"
#include "render/random.h"
#include "support/draw_hardware_cases.h"
#include "test_files.h"

namespace {

// Pass number to hash, read from lines "PASS HASH"; lines starting with '#' are comments.
std::map<uint32_t, std::string> ReadHashes(const std::string& path) {
    std::map<uint32_t, std::string> hashes;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        uint32_t pass = 0;
        std::string hash;
        fields >> pass >> hash;
        hashes[pass] = hash;
    }
    return hashes;
}

struct HashRecorder : PassObserver {
    void AfterDraw(uint32_t, const Show&) override { hashes.push_back(FrameHash(frameBuffer)); }
    std::vector<uint64_t> hashes;
};

// The hashes of every pass of the whole show at `fps`, then of `seekTo`'s passes reached in
// the same show by a seek (in the order given), all drawn with one renderer on one hardware.
struct ShowHashes {
    std::vector<uint64_t> passes;
    std::vector<uint64_t> seeks;
};

ShowHashes HashShow(uint32_t fps, Renderer renderer, const HardwareChoice& hardware,
                    const std::vector<uint64_t>& seekTo) {
    const ShowSettings settings{.dataDir = VOXELSHOW_DATA_DIR,
                                .renderer = renderer,
                                .threads = hardware.threads,
                                .simd = hardware.simd};
    SeedRandom(settings.seed);
    ResetFrameStats();
    testing::internal::CaptureStdout();
    std::unique_ptr<Show> show = BuildShow(settings);
    testing::internal::GetCapturedStdout();
    HeadlessPlatform platform;
    FixedStepClock clock(fps);
    HashRecorder recorder;
    PlayBuiltShow(*show, settings, platform, clock, &recorder);
    ShowHashes hashes{recorder.hashes, {}};
    for (uint64_t pass : seekTo) {
        SeekShow(*show, StepsFor(renderer), GridPass(pass, fps));
        hashes.seeks.push_back(FrameHash(frameBuffer));
    }
    return hashes;
}

// Passes spread over the whole show and a few picked at random, out of order.
std::vector<uint64_t> PassesToSeek(uint32_t fps) {
    const uint64_t last = LastPassOfShow(fps);
    std::vector<uint64_t> passes;
    for (uint64_t i = 0; i <= 10; ++i) {
        passes.push_back(last - last * i / 10);
    }
    std::mt19937 random(fps);
    for (int i = 0; i < 6; ++i) {
        passes.push_back(std::uniform_int_distribution<uint64_t>(0, last)(random));
    }
    return passes;
}

TEST(FrameHash, IgnoresTheFourthByteAndSeesEveryShownOne) {
    std::vector<uint32_t> frame(FRAME_PIXELS, 0x00123456u);
    const uint64_t plain = FrameHash(frame.data());
    frame[FRAME_PIXELS - 1] = 0xFF123456u;
    EXPECT_EQ(FrameHash(frame.data()), plain);
    frame[FRAME_PIXELS - 1] = 0x00123457u;
    EXPECT_NE(FrameHash(frame.data()), plain);
    EXPECT_EQ(HashText(0x0123456789abcdefull), "0123456789abcdef");
    EXPECT_EQ(HashText(10), "000000000000000a");
}

// The stored hashes pin what the built-in show looks like at a handful of passes.
TEST(ShowLook, PinnedPassesKeepTheirHashes) {
    TempDir dir;
    Options options;
    options.mode = RunMode::Hashes;
    options.fps = 4;
    options.dataDir = VOXELSHOW_DATA_DIR;
    options.hashesPath = dir.File("show.hashes");
    testing::internal::CaptureStdout();
    ASSERT_EQ(WriteFrameHashes(options), 0);
    testing::internal::GetCapturedStdout();

    const std::map<uint32_t, std::string> written = ReadHashes(options.hashesPath);
    EXPECT_EQ(written.size(), 785u);  // passes 0 to 784: 196 s at 4 a second, 196.0 still drawn
    const std::map<uint32_t, std::string> pinned =
        ReadHashes(VOXELSHOW_SOURCE_DIR "/tests/data/show_look.hashes");
    ASSERT_GE(pinned.size(), 10u);
    for (const auto& [pass, hash] : pinned) {
        auto found = written.find(pass);
        ASSERT_NE(found, written.end()) << "pass " << pass << " was not drawn";
        EXPECT_EQ(found->second, hash) << "pass " << pass << " looks different now";
    }
}

// The renderer the show plays with draws every pass exactly as the reference one, on one
// thread and on two, at every vector level this processor has (the portable one included), at
// rates whose passes fall on and between the script's span ends; so do seeks in that show.
TEST(ShowLook, FastRendererEqualsTheReferenceAtEveryPassOnEveryHardware) {
    for (uint32_t fps : {3u, 7u}) {
        const std::vector<uint64_t> seekTo = PassesToSeek(fps);
        const std::vector<uint64_t> reference = HashShow(fps, Renderer::Reference, {}, {}).passes;
        ASSERT_EQ(reference.size(), LastPassOfShow(fps) + 1);
        for (const HardwareChoice& hardware : EveryHardwareChoice()) {
            SCOPED_TRACE(std::to_string(fps) + " fps, " + hardware.name);
            const ShowHashes fast = HashShow(fps, Renderer::Fast, hardware, seekTo);
            ASSERT_EQ(fast.passes.size(), reference.size());
            for (size_t pass = 0; pass < reference.size(); ++pass) {
                ASSERT_EQ(fast.passes[pass], reference[pass]) << "first difference at pass " << pass;
            }
            for (size_t i = 0; i < seekTo.size(); ++i) {
                EXPECT_EQ(fast.seeks[i], reference[seekTo[i]]) << "seek to pass " << seekTo[i];
            }
        }
    }
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The built-in script written out as text and played from the file draws every pass alike; the
// same text with the opening's colour map changed draws another show.
TEST(ShowLook, TheDumpedScriptPlaysExactlyAsTheBuiltInOne) {
    TempDir dir;
    ASSERT_EQ(DumpScript(dir.File("show.txt")), 0);
    std::string edited = ReadText(dir.File("show.txt"));
    const std::string opening = "landscape.colourSource  3      3";
    ASSERT_NE(edited.find(opening), std::string::npos);
    edited.replace(edited.find(opening), opening.size(), "landscape.colourSource  4      4");
    std::ofstream(dir.File("edited.txt")) << edited;
    Options options;
    options.mode = RunMode::Hashes;
    options.fps = 3;
    options.dataDir = VOXELSHOW_DATA_DIR;
    const std::string scripts[3] = {"", dir.File("show.txt"), dir.File("edited.txt")};
    std::string printed[3], hashes[3];
    for (int run = 0; run < 3; ++run) {
        options.scriptPath = scripts[run];
        options.hashesPath = dir.File("run" + std::to_string(run) + ".hashes");
        testing::internal::CaptureStdout();
        ASSERT_EQ(WriteFrameHashes(options), 0);
        printed[run] = testing::internal::GetCapturedStdout();
        hashes[run] = ReadText(options.hashesPath);
    }
    EXPECT_EQ(std::count(hashes[0].begin(), hashes[0].end(), '\n'), 589);  // 196 s at 3 a second
    EXPECT_TRUE(hashes[0] == hashes[1]);
    EXPECT_EQ(printed[0], printed[1]);
    EXPECT_FALSE(hashes[0] == hashes[2]) << "the edited script was not played";
}

TEST(ShowLook, AnUnwritableHashFileFailsBeforeDrawing) {
    Options options;
    options.mode = RunMode::Hashes;
    options.dataDir = VOXELSHOW_DATA_DIR;
    options.hashesPath = "/nonexistent-folder/show.hashes";
    testing::internal::CaptureStderr();
    EXPECT_EQ(WriteFrameHashes(options), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "voxelshow: /nonexistent-folder/show.hashes: cannot write in /nonexistent-folder: No such file "
              "or directory\n");
}

}  // namespace
