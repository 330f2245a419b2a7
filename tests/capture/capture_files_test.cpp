#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/test_files.h"
#include "audio/decoder.h"
#include "audio/music_files.h"
#include "capture/frame_scaler.h"
#include "capture/media_decode.h"
#include "capture/program_run.h"
#include "render/framebuffer.h"

namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;

const std::string MUSIC = std::string(VOXELSHOW_DATA_DIR) + "/ostrel&vandt_-_cube.mp3";
constexpr int RATE = 44100;
constexpr int SAMPLES_PER_FRAME = RATE / 60;
constexpr int ONE_MILLISECOND = RATE / 1000;

// The show's music as its own decoder gives it: `count` stereo frames from frame `start`.
std::vector<float> ShowMusic(int64_t start, int64_t count) {
    Decoder decoder;
    EXPECT_EQ(OpenStreamDecoder(decoder, MUSIC.c_str()), 0);
    EXPECT_EQ(decoder.rate, RATE);
    std::vector<float> all(static_cast<size_t>(start + count) * 2);
    int64_t done = 0;
    while (done < start + count) {
        const int got = ReadDecoder(decoder, all.data() + done * 2, static_cast<int>(start + count - done));
        if (got <= 0) {
            break;
        }
        done += got;
    }
    CloseDecoder(decoder);
    return std::vector<float>(all.begin() + start * 2, all.end());
}

std::vector<float> Mono(const std::vector<float>& stereo) {
    std::vector<float> mono(stereo.size() / 2);
    for (size_t i = 0; i < mono.size(); ++i) {
        mono[i] = 0.5f * (stereo[2 * i] + stereo[2 * i + 1]);
    }
    return mono;
}

struct Alignment {
    int lag = 0;  // `actual` runs this many samples behind `expected`
    double correlation = 0.0;
};

// Cross-correlation of the two mono signals over lags within 50 ms, normalised over each
// lag's overlap; the lag of the best match.
Alignment Align(const std::vector<float>& expected, const std::vector<float>& actual) {
    const int maxLag = RATE / 20;
    const int n = static_cast<int>(std::min(expected.size(), actual.size()));
    Alignment best;
    best.correlation = -2.0;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double product = 0.0;
        double expectedEnergy = 0.0;
        double actualEnergy = 0.0;
        for (int i = std::max(0, -lag); i < std::min(n, n - lag); ++i) {
            product += double{expected[i]} * actual[i + lag];
            expectedEnergy += double{expected[i]} * expected[i];
            actualEnergy += double{actual[i + lag]} * actual[i + lag];
        }
        const double correlation = product / std::sqrt(expectedEnergy * actualEnergy + 1e-30);
        if (correlation > best.correlation) {
            best = {lag, correlation};
        }
    }
    return best;
}

void ExpectInStep(const std::vector<float>& expected, const std::vector<float>& actual, const char* format) {
    const Alignment alignment = Align(Mono(expected), Mono(actual));
    EXPECT_LE(std::abs(alignment.lag), ONE_MILLISECOND) << format;
    EXPECT_GT(alignment.correlation, 0.95) << format;
}

// 16-bit samples from float, as the sound files store them.
void ExpectEqualTo16Bits(const std::vector<float>& expected, const std::vector<float>& actual) {
    ASSERT_EQ(actual.size(), expected.size());
    float worst = 0.0f;
    for (size_t i = 0; i < expected.size(); ++i) {
        worst = std::max(worst, std::abs(actual[i] - std::clamp(expected[i], -1.0f, 1.0f)));
    }
    EXPECT_LE(worst, 1.0f / 32768);
}

std::vector<uint32_t> PixelsOfRawFrame(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    std::vector<uint32_t> pixels(bytes.size() / 4);
    std::memcpy(pixels.data(), bytes.data(), pixels.size() * 4);
    return pixels;
}

// 0x00RRGGBB pixels as red, green and blue bytes.
std::vector<uint8_t> Rgb(const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> rgb;
    for (uint32_t pixel : pixels) {
        rgb.insert(rgb.end(), {static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                               static_cast<uint8_t>(pixel)});
    }
    return rgb;
}

int CountWebpFrames(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    if (bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WEBP") != 0) {
        return -1;
    }
    int frames = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const auto size = static_cast<uint32_t>(
            static_cast<uint8_t>(bytes[at + 4]) | static_cast<uint8_t>(bytes[at + 5]) << 8 |
            static_cast<uint8_t>(bytes[at + 6]) << 16 | static_cast<uint8_t>(bytes[at + 7]) << 24);
        frames += bytes.compare(at, 4, "ANMF") == 0;
        at += 8 + size + (size & 1);
    }
    return frames;
}

// The soundtrack is 200 s long; an MP3 decoder that ignores the encoder's gapless
// information gives its delay at the start (and its padding at the end) as well, and the
// music of every capture would come late.
TEST(ShowMusic, TheDecoderGivesTheSoundtrackWithoutTheEncodersDelay) {
    Decoder decoder;
    ASSERT_EQ(OpenStreamDecoder(decoder, MUSIC.c_str()), 0);
    std::vector<float> chunk(8192 * 2);
    int64_t frames = 0;
    for (int got; (got = ReadDecoder(decoder, chunk.data(), 8192)) > 0;) {
        frames += got;
    }
    CloseDecoder(decoder);
    EXPECT_EQ(frames, 200 * RATE);
}

class Capture : public testing::Test {
protected:
    void SetUp() override { fs::create_directory(out); }

    ProgramRun Run(std::vector<std::string> args, long fileSizeLimit = 0) {
        args.insert(args.begin(), {"--data", VOXELSHOW_DATA_DIR});
        return RunProgram(args, dir.path, fileSizeLimit);
    }

    // Runs a capture that must succeed.
    void Write(const std::vector<std::string>& args) {
        ProgramRun run = Run(args);
        ASSERT_EQ(run.status, 0) << ReadFileText(run.errPath);
    }

    std::string Out(const std::string& name) const { return out + "/" + name; }

    TempDir dir;
    std::string out = dir.path + "/out";
};

// 98 s, in the flight over the mountains: 15 frames.
TEST_F(Capture, LosslessVideoHoldsTheRenderedFramesAndTheExactSound) {
    // The reference frames are drawn at the same time, by a second program with its own output.
    fs::create_directory(dir.File("render"));
    ProgramRun frames = StartProgram(
        {"--data", VOXELSHOW_DATA_DIR, "--render-frame", "5880,5884,5894", "--out", dir.File("pass%d.bgra")},
        dir.File("render"));
    Write({"--capture", Out("show.mkv"), "--from", "98", "--to", "98.25"});
    ASSERT_EQ(WaitForProgram(frames), 0);
    const DecodedMedia media = DecodeMedia(Out("show.mkv"), true);
    EXPECT_EQ(media.videoCodec, "ffv1");
    EXPECT_EQ(media.pixelFormat, "bgr0");
    ASSERT_EQ(media.frames, 15);
    for (int pass : {5880, 5884, 5894}) {
        EXPECT_TRUE(media.rgbFrames[pass - 5880] ==
                    Rgb(PixelsOfRawFrame(dir.File("pass" + std::to_string(pass) + ".bgra"))))
            << "pass " << pass;
    }
    EXPECT_EQ(media.audioCodec, "flac");
    ExpectEqualTo16Bits(ShowMusic(5880 * SAMPLES_PER_FRAME, 15 * SAMPLES_PER_FRAME), media.samples);
}

TEST_F(Capture, SoundFilesHoldTheShowsMusicToTheSample) {
    // 2 s to 3.5 s: 90 frames of picture time.
    const std::vector<float> music = ShowMusic(120 * SAMPLES_PER_FRAME, 90 * SAMPLES_PER_FRAME);
    std::ofstream(Out("music.wav")) << "an older file, replaced as -y asks";
    for (const char* name : {"music.wav", "music.flac"}) {
        Write({"--capture", Out(name), "--from", "0:02", "--to", "0:03.5", "-y"});
        const DecodedMedia media = DecodeMedia(Out(name), false);
        EXPECT_EQ(media.videoCodec, "") << name;
        EXPECT_EQ(media.sampleRate, RATE) << name;
        EXPECT_EQ(media.channels, 2) << name;
        ExpectEqualTo16Bits(music, media.samples);
    }
}

// 91 frames: 1.51666 s, a length between two milliseconds.
TEST_F(Capture, Mp4IsH264AndAacWithTheIndexFirst) {
    Write({"--capture", Out("show.mp4"), "--from", "2", "--to", "3.51", "--size", "1280x720"});
    EXPECT_THAT(Mp4TopLevelBoxes(Out("show.mp4")), testing::ElementsAre("ftyp", "moov", "free", "mdat"));
    const DecodedMedia media = DecodeMedia(Out("show.mp4"), false);
    EXPECT_EQ(media.videoCodec, "h264");
    EXPECT_EQ(media.pixelFormat, "yuv420p");
    EXPECT_EQ(media.width, 1280);
    EXPECT_EQ(media.height, 720);
    EXPECT_EQ(media.frameRateNum, 60 * media.frameRateDen);
    EXPECT_EQ(media.frames, 91);
    EXPECT_EQ(media.audioCodec, "aac");
    EXPECT_EQ(media.sampleRate, RATE);
    // The edit list cuts the encoder's priming and its last frame's padding: the track is
    // as long as the picture, to the sample. Decoders that ignore the end of the list give
    // at most one frame (1024 samples) more.
    EXPECT_NEAR(media.audioSeconds * RATE, 91.0 * SAMPLES_PER_FRAME, 0.5);
    EXPECT_GE(media.samples.size() / 2, 91u * SAMPLES_PER_FRAME);
    EXPECT_LT(media.samples.size() / 2, 91u * SAMPLES_PER_FRAME + 1024);
    ExpectInStep(ShowMusic(120 * SAMPLES_PER_FRAME, 91 * SAMPLES_PER_FRAME), media.samples, "mp4");
}

TEST_F(Capture, WebmIsVp9AndOpusInStep) {
    Write({"--capture", Out("show.webm"), "--from", "2", "--to", "3.5"});
    const DecodedMedia media = DecodeMedia(Out("show.webm"), false, RATE);
    EXPECT_EQ(media.videoCodec, "vp9");
    EXPECT_EQ(media.frames, 90);
    EXPECT_EQ(media.audioCodec, "opus");
    EXPECT_EQ(media.sampleRate, 48000);
    EXPECT_NEAR(static_cast<double>(media.samples.size() / 2), 90.0 * SAMPLES_PER_FRAME, ONE_MILLISECOND);
    ExpectInStep(ShowMusic(120 * SAMPLES_PER_FRAME, 90 * SAMPLES_PER_FRAME), media.samples, "webm");
}

TEST_F(Capture, MutedVideoAndWebpHaveNoSound) {
    Write({"--capture", Out("quiet.mp4"), "--from", "2", "--to", "2.5", "--mute"});
    const DecodedMedia quiet = DecodeMedia(Out("quiet.mp4"), false);
    EXPECT_EQ(quiet.frames, 30);
    EXPECT_EQ(quiet.audioCodec, "");
    Write({"--capture", Out("preview.webp"), "--from", "2", "--to", "2.5", "--fps", "20"});
    EXPECT_EQ(CountWebpFrames(Out("preview.webp")), 10);
}

// 17.5 s: the first text over the landscape.
TEST_F(Capture, PictureSequenceIsOneScaledPngPerPass) {
    const ProgramRun run =
        Run({"--capture", Out("f%05d-%%.png"), "--from", "17.5", "--to", "17.55", "--size", "1000x1000"});
    ASSERT_EQ(run.status, 0) << ReadFileText(run.errPath);
    EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"f01050-%.png", "f01051-%.png", "f01052-%.png"}));
    EXPECT_THAT(ReadFileText(run.outPath), HasSubstr(", first frame 1050\n"));
    Write({"--render-frame", "1052", "--out", dir.File("pass.bgra")});
    const FrameScaler scaler = MakeFrameScaler(1000, 1000);
    std::vector<uint32_t> scaled(1000 * 1000);
    ScaleFrame(scaler, PixelsOfRawFrame(dir.File("pass.bgra")).data(), scaled.data());
    const DecodedMedia picture = DecodeMedia(Out("f01052-%.png"), true);
    EXPECT_EQ(picture.pixelFormat, "rgb24");
    ASSERT_EQ(picture.rgbFrames.size(), 1u);
    EXPECT_TRUE(picture.rgbFrames[0] == Rgb(scaled));
}

TEST_F(Capture, RawPicturesAtTheShowsSizeAreTheFramesRenderFrameWrites) {
    Write({"--capture", Out("f%d.bgra"), "--from", "17.5", "--to", "17.52"});
    Write({"--render-frame", "1050,1051", "--out", dir.File("pass%d.bgra")});
    for (const char* pass : {"1050", "1051"}) {
        // The fourth byte, which is no part of the picture, is 255 in a capture.
        std::vector<uint32_t> rendered = PixelsOfRawFrame(dir.File("pass") + pass + ".bgra");
        for (uint32_t& pixel : rendered) {
            pixel |= 0xFF000000u;
        }
        EXPECT_TRUE(PixelsOfRawFrame(Out("f") + pass + ".bgra") == rendered) << pass;
    }
}

struct BadCapture {
    std::vector<std::string> args;
    int status;
    std::string message;
};

TEST_F(Capture, BadRequestsWriteNothing) {
    fs::create_directory(Out("taken.mp4"));
    WriteBytes(dir.File("noise.mp3"), std::vector<uint8_t>(5000, 0x55));
    // Sparse: a module file over the cap costs no disk.
    WriteBytes(dir.File("huge.xm"), {});
    fs::resize_file(dir.File("huge.xm"), (uint64_t{64} << 20) + 1);
    const std::vector<BadCapture> cases = {
        {{"--capture", Out("show.avi")}, 2, "the name picks the kind of file"},
        {{"--capture", Out("frames.png")}, 2, "NAME%d.png"},
        {{"--capture", Out("show.mp4"), "--size", "641x480"}, 2, "even"},
        {{"--capture", Out("show.mp4"), "--size", "0x0"}, 2, "--size takes a width"},
        {{"--capture", Out("show.mkv"), "--size", "100000x100000"}, 2, "--size takes a width"},
        {{"--capture", Out("show.mp4"), "--from", "-1"}, 2, "--from takes a time"},
        {{"--capture", Out("show.mp4"), "--from", "10", "--to", "10"}, 2, "--from must be before --to"},
        {{"--capture", Out("show.mp4"), "--to", "197"}, 2, "past the end of the show (196.017 s"},
        {{"--capture", Out("show.mp4"), "--from", "196.02"}, 2, "no pass of the show"},
        {{"--capture", Out("music.wav"), "--mute"}, 2, "--mute leaves nothing"},
        {{"--capture", Out("none/show.mp4")}, 1, Out("none/show.mp4") + ": cannot write in " + Out("none")},
        {{"--capture", Out("taken.mp4")}, 1, Out("taken.mp4") + ": is a directory"},
        {{"--capture", Out("show.mp4"), "--music", dir.File("gone.mp3")},
         1,
         dir.File("gone.mp3") + ": cannot load music: No such file or directory"},
        {{"--capture", Out("show.mp4"), "--music", dir.File("huge.xm")},
         1,
         dir.File("huge.xm") + ": cannot load music: larger than 64 MiB, too large for a module"},
        {{"--capture", Out("show.mp4"), "--music", dir.File("noise.mp3")},
         1,
         dir.File("noise.mp3") + ": cannot load"},
        {{"--capture", Out("show.mp4"), "--music", dir.File("notes.txt")}, 2, "--music takes a module"},
    };
    for (const BadCapture& bad : cases) {
        const ProgramRun run = Run(bad.args);
        const std::string said = ReadFileText(run.errPath);
        EXPECT_EQ(run.status, bad.status) << bad.args[1] << ": " << said;
        EXPECT_THAT(said, HasSubstr(bad.message)) << bad.args[1];
        EXPECT_EQ(ReadFileText(run.outPath), "") << bad.args[1] << ": drew before the failure";
        EXPECT_EQ(FilesIn(out), std::vector<std::string>{"taken.mp4"}) << bad.args[1];
    }
}

TEST_F(Capture, AFullDiskOrBadDataLeavesNothing) {
    ProgramRun full = Run({"--capture", Out("show.mkv"), "--from", "2", "--to", "4"}, 300 * 1024);
    EXPECT_EQ(full.status, 1);
    EXPECT_THAT(ReadFileText(full.errPath), HasSubstr(Out("show.mkv") + ": cannot write: File too large"));
    EXPECT_EQ(FilesIn(out), std::vector<std::string>{});

    ProgramRun noData = RunProgram({"--data", dir.File("nowhere"), "--capture", Out("show.mp4")}, dir.path);
    EXPECT_EQ(noData.status, 1);
    EXPECT_THAT(ReadFileText(noData.errPath), HasSubstr(dir.File("nowhere")));
    EXPECT_EQ(FilesIn(out), std::vector<std::string>{});
}

// The open end of the span, at the highest rate, reaches the show's last pass.
TEST_F(Capture, AnOpenEndAtAThousandFramesASecondReachesTheEnd) {
    Write({"--capture", Out("end.mp4"), "--fps", "1000", "--from", "195.99"});
    EXPECT_EQ(DecodeMedia(Out("end.mp4"), false).frames, 11);  // passes 195990 to 196000
}

// Names with a colon are files, never the libraries' other kinds of output.
TEST_F(Capture, NamesAreFilesWhateverTheyLookLike) {
    for (const char* folder : {"cut:1", "pipe:1", "file:x", "x"}) {
        fs::create_directory(Out(folder));
    }
    const fs::path before = fs::current_path();
    fs::current_path(out);
    for (const char* name : {"cut:1/a.mp4", "pipe:1/a.wav", "file:x/a.wav"}) {
        ProgramRun run = Run({"--capture", name, "--from", "2", "--to", "2.1"});
        EXPECT_EQ(run.status, 0) << name << ": " << ReadFileText(run.errPath);
        EXPECT_THAT(ReadFileText(run.outPath), HasSubstr(std::string(name) + ": 6 frames")) << name;
    }
    fs::current_path(before);
    EXPECT_EQ(DecodeMedia(Out("cut:1/a.mp4"), false).frames, 6);
    EXPECT_EQ(DecodeMedia(Out("pipe:1/a.wav"), false).samples.size(), 6u * SAMPLES_PER_FRAME * 2);
    EXPECT_EQ(FilesIn(Out("file:x")), std::vector<std::string>{"a.wav"});
    EXPECT_EQ(FilesIn(Out("x")), std::vector<std::string>{});
}

// A chained Ogg stream whose links change channels and rate: each keeps its pitch and its
// place, and silence follows the last.
TEST_F(Capture, ChainedMusicFollowsEveryLink) {
    WriteChainedOgg(dir.File("chain.ogg"), {{2, 44100, 0.5}, {6, 96000, 0.5}, {1, 8000, 1.0}});
    Write({"--capture", Out("music.wav"), "--music", dir.File("chain.ogg"), "--from", "0.25", "--to", "2.5"});
    const DecodedMedia media = DecodeMedia(Out("music.wav"), false);
    EXPECT_EQ(media.sampleRate, RATE);
    ASSERT_EQ(media.samples.size(), 135u * SAMPLES_PER_FRAME * 2);
    for (double at : {0.05, 0.4, 1.1, 1.6}) {  // in the first, second and third link, near its end
        EXPECT_GT(ToneShare(media.samples, RATE, at, 440.0), 0.2) << at << " s";
    }
    const auto end = media.samples.begin() + static_cast<ptrdiff_t>(1.8 * RATE) * 2;
    EXPECT_TRUE(std::all_of(end, media.samples.end(), [](float sample) { return sample == 0.0f; }));
}

// The size of the one file in `folder`, or -1 while there is none.
int64_t SizeOfOnlyFile(const std::string& folder) {
    const std::vector<std::string> names = FilesIn(folder);
    std::error_code error;
    const auto size = names.size() == 1 ? fs::file_size(folder + "/" + names[0], error) : 0;
    return names.size() == 1 && !error ? static_cast<int64_t>(size) : -1;
}

// Waits until `done` holds, for two minutes at most; whether it holds.
template <typename Condition>
bool WaitFor(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

// The folder is held open from the start: renamed during the capture, it keeps no temporary.
TEST_F(Capture, AFolderRenamedDuringTheCaptureKeepsNoTemporary) {
    ProgramRun run = StartProgram({"--data", VOXELSHOW_DATA_DIR, "--capture", Out("show.mkv")}, dir.path);
    ASSERT_TRUE(WaitFor([&] { return SizeOfOnlyFile(out) > 100000; })) << "the capture never got that far";
    fs::rename(out, dir.File("moved"));
    kill(run.pid, SIGINT);
    EXPECT_EQ(WaitForProgram(run), 130);
    EXPECT_EQ(FilesIn(dir.File("moved")), std::vector<std::string>{});
}

// A signal stops a capture and removes the unfinished file: SIGTERM while a video's files are
// being opened, SIGINT once its frames are being written; a closed terminal (SIGHUP), SIGQUIT and
// a reader gone away (SIGPIPE) once a picture sequence has frames, none of whose hidden frames stays.
TEST_F(Capture, EverySignalThatEndsARunRemovesTheUnfinishedCapture) {
    const struct {
        int signal;
        const char* name;
        std::string capture;
        size_t files;
        int64_t grownTo;  // the one file's size, when there is one
    } cases[] = {{SIGTERM, "SIGTERM", "show.mp4", 1, 0},
                 {SIGINT, "SIGINT", "show.mp4", 1, 200000},
                 {SIGHUP, "SIGHUP", "f%d.png", 3, -1},
                 {SIGQUIT, "SIGQUIT", "f%d.png", 3, -1},
                 {SIGPIPE, "SIGPIPE", "f%d.png", 3, -1}};
    for (const auto& c : cases) {
        ProgramRun run = StartProgram({"--data", VOXELSHOW_DATA_DIR, "--capture", Out(c.capture)}, dir.path);
        ASSERT_TRUE(WaitFor([&] {
            return FilesIn(out).size() >= c.files && SizeOfOnlyFile(out) >= c.grownTo;
        })) << c.name
            << ": the capture never got that far";
        kill(run.pid, c.signal);
        EXPECT_EQ(WaitForProgram(run), 128 + c.signal) << c.name;
        EXPECT_THAT(ReadFileText(run.errPath), HasSubstr(Out(c.capture) + ": interrupted by " + c.name))
            << c.name;
        EXPECT_EQ(FilesIn(out), std::vector<std::string>{}) << c.name;
    }
}

}  // namespace
