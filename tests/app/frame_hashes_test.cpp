#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "app/frame_hash.h"
#include "app/frame_hashes.h"
#include "app/headless_platform.h"
#include "app/show.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"
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

std::vector<uint64_t> ShowHashes(uint32_t fps, Renderer renderer, uint32_t threads = 1,
                                 SimdLevel simd = SimdLevel::Portable) {
    HeadlessPlatform platform;
    FixedStepClock clock(fps);
    HashRecorder recorder;
    testing::internal::CaptureStdout();
    RunShow({.dataDir = VOXELSHOW_DATA_DIR, .renderer = renderer, .threads = threads, .simd = simd}, platform,
            clock, &recorder);
    testing::internal::GetCapturedStdout();
    return recorder.hashes;
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
// thread and on two, at every vector level this processor has, at rates whose passes fall on
// and between the script's span ends.
TEST(ShowLook, FastRendererEqualsTheReferenceAtEveryPassOnEveryHardware) {
    for (uint32_t fps : {3u, 7u}) {
        const std::vector<uint64_t> reference = ShowHashes(fps, Renderer::Reference);
        for (uint32_t threads : {1u, 2u}) {
            for (SimdLevel simd : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
                if (!SimdLevelAvailable(simd)) {
                    continue;
                }
                const std::vector<uint64_t> fast = ShowHashes(fps, Renderer::Fast, threads, simd);
                ASSERT_EQ(fast.size(), reference.size());
                for (size_t pass = 0; pass < fast.size(); ++pass) {
                    ASSERT_EQ(fast[pass], reference[pass])
                        << "first difference at pass " << pass << " at " << fps << " fps, " << threads
                        << " threads, " << SimdLevelName(simd);
                }
            }
        }
    }
}

TEST(ShowLook, AnUnwritableHashFileFailsBeforeDrawing) {
    Options options;
    options.mode = RunMode::Hashes;
    options.dataDir = VOXELSHOW_DATA_DIR;
    options.hashesPath = "/nonexistent-folder/show.hashes";
    testing::internal::CaptureStderr();
    EXPECT_EQ(WriteFrameHashes(options), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "voxelshow: /nonexistent-folder/show.hashes: No such file or directory\n");
}

}  // namespace
