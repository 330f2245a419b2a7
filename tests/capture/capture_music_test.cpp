#include <gtest/gtest.h>

#include <algorithm>

#include "app/test_files.h"
#include "audio/music_files.h"
#include "capture/capture_error.h"
#include "capture/capture_session.h"
#include "capture/media_decode.h"
#include "capture/music_source.h"

namespace {

constexpr int TRACK_RATE = 22050;  // the chains below start at this rate

std::vector<float> ReadAll(MusicSource& music, int frames, int chunk) {
    std::vector<float> all(static_cast<size_t>(frames) * MUSIC_CHANNELS);
    for (int done = 0; done < frames; done += chunk) {
        ReadMusic(music, all.data() + static_cast<size_t>(done) * MUSIC_CHANNELS,
                  std::min(chunk, frames - done));
    }
    return all;
}

// The last frame that is not silent, plus one.
int SoundingFrames(const std::vector<float>& stereo) {
    for (size_t i = stereo.size(); i > 0; --i) {
        if (std::abs(stereo[i - 1]) > 1e-4f) {
            return static_cast<int>((i - 1) / MUSIC_CHANNELS) + 1;
        }
    }
    return 0;
}

class ChainedMusic : public testing::Test {
protected:
    // Half a second a link: more channels later (six, read into room for stereo before), then
    // rates above and below the track's, mono at the end.
    void SetUp() override {
        WriteChainedOgg(
            path,
            {{1, TRACK_RATE, 0.5}, {6, TRACK_RATE, 0.5}, {2, 44100, 0.5}, {2, 8000, 0.5}, {1, 96000, 0.5}});
    }

    TempDir dir;
    std::string path = dir.File("chain.ogg");
};

TEST_F(ChainedMusic, EveryLinkPlaysAtItsPitchAndLengthInTheTracksFormat) {
    MusicSource music;
    OpenMusicSource(music, path);
    EXPECT_EQ(music.rate, TRACK_RATE);
    const std::vector<float> track = ReadAll(music, 3 * TRACK_RATE, 1000);
    CloseMusicSource(music);
    for (int link = 0; link < 5; ++link) {
        const double middle = 0.5 * link + 0.15;
        EXPECT_GT(ToneShare(track, TRACK_RATE, middle, 440.0), 0.2) << "link " << link;
    }
    // The mono links sound on both sides at their own level (a 0.5 sine), as the show plays them.
    for (double at : {0.2, 2.2}) {
        const auto start = track.begin() + static_cast<ptrdiff_t>(at * TRACK_RATE) * 2;
        const float peak = std::abs(*std::max_element(
            start, start + TRACK_RATE / 10, [](float a, float b) { return std::abs(a) < std::abs(b); }));
        EXPECT_NEAR(peak, 0.5f, 0.05f) << at << " s";
        EXPECT_EQ(start[0], start[1]) << at << " s";
    }
    // 2.5 s of music, each link resampled whole; then silence.
    EXPECT_NEAR(SoundingFrames(track), 2.5 * TRACK_RATE, TRACK_RATE / 100);
}

TEST_F(ChainedMusic, SkippingAcrossLinksGivesWhatReadingGives) {
    const int skipped = TRACK_RATE * 3 / 4 + 17;  // into the second link, off any chunk's edge
    const int kept = TRACK_RATE;
    MusicSource read;
    OpenMusicSource(read, path);
    const std::vector<float> all = ReadAll(read, skipped + kept, 4096);
    CloseMusicSource(read);
    MusicSource skip;
    OpenMusicSource(skip, path);
    SkipMusic(skip, skipped);
    const std::vector<float> after = ReadAll(skip, kept, 777);
    CloseMusicSource(skip);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), all.begin() + static_cast<ptrdiff_t>(skipped) * 2));
}

TEST(CaptureStart, AnEmptySpanWritesNothing) {
    TempDir dir;
    CaptureSettings settings;
    settings.path = dir.File("keep.mp4");
    settings.span = CaptureSpan{1000, 0, 0};
    CaptureSession session;
    EXPECT_THROW(StartCapture(session, settings), CaptureError);
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{});
}

// The largest sizes the command line allows open the lossless encoder, which bounds the size of
// its slices.
TEST(CaptureStart, LosslessVideoTakesEveryAllowedSize) {
    TempDir dir;
    for (auto [width, height] :
         {std::pair{7680, 4320}, {5000, 4000}, {7680, 3000}, {2, 4320}, {7680, 2}, {2, 2}}) {
        CaptureSettings settings;
        settings.path = dir.File("big.mkv");
        settings.format = CaptureFormat::Mkv;
        settings.width = width;
        settings.height = height;
        settings.span = CaptureSpan{60, 0, 1};
        EXPECT_NO_THROW(OpenCaptureWriter(settings, nullptr)->Discard()) << width << "x" << height;
    }
    EXPECT_EQ(FilesIn(dir.path), std::vector<std::string>{});
}

}  // namespace
