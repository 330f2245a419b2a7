#include <gtest/gtest.h>

#include <thread>

#include "capture/capture_format.h"
#include "capture/capture_span.h"
#include "capture/frame_queue.h"
#include "capture/frame_scaler.h"
#include "render/framebuffer.h"

namespace {

TEST(CaptureFormat, TheNameEndPicksTheFormat) {
    const std::pair<const char*, CaptureFormat> named[] = {
        {"show.mp4", CaptureFormat::Mp4},
        {"out/SHOW.MP4", CaptureFormat::Mp4},
        {"a.b.mkv", CaptureFormat::Mkv},
        {"clip.webm", CaptureFormat::Webm},
        {"preview.webp", CaptureFormat::Webp},
        {"frames/f%d.png", CaptureFormat::PictureSequence},
        {"music.wav", CaptureFormat::Wav},
        {"music.flac", CaptureFormat::Flac},
        {"raw/F%03d.BGRA", CaptureFormat::PictureSequence},
    };
    for (const auto& [name, expected] : named) {
        CaptureFormat format = CaptureFormat::Wav;
        EXPECT_TRUE(CaptureFormatForName(name, format)) << name;
        EXPECT_EQ(format, expected) << name;
    }
    for (const char* name :
         {"show.avi", "show", "mp4", "frame.png", "frame.bgra", "dir%d/frame.png", "show.mp4.tmp", ""}) {
        CaptureFormat format;
        EXPECT_FALSE(CaptureFormatForName(name, format)) << name;
    }
}

// The passes a span holds, found by reading every pass's clock.
std::vector<uint32_t> PassesBetweenByClock(uint64_t fromMs, uint64_t toMs, uint32_t lastPass, uint32_t fps) {
    std::vector<uint32_t> passes;
    for (uint32_t pass = 0; pass <= lastPass; ++pass) {
        const uint64_t t = uint64_t{pass} * 1000 / fps;
        if (fromMs <= t && t < toMs) {
            passes.push_back(pass);
        }
    }
    return passes;
}

TEST(CaptureSpan, HoldsThePassesWhoseClockLiesInTheSpan) {
    const uint64_t edges[] = {0, 1, 16, 17, 142, 143, 999, 1000, 1001, 17500, 195990, 196000, 196001, 196017};
    for (uint32_t fps : {1u, 7u, 59u, 60u, 1000u}) {
        const uint32_t lastPass = static_cast<uint32_t>((uint64_t{196001} * fps - 1) / 1000);
        for (uint64_t from : edges) {
            for (uint64_t to : edges) {
                const std::vector<uint32_t> expected = PassesBetweenByClock(from, to, lastPass, fps);
                const CaptureSpan span = SpanBetween(from, to, lastPass, fps);
                ASSERT_EQ(span.frameCount, expected.size()) << fps << " fps, " << from << " to " << to;
                if (!expected.empty()) {
                    EXPECT_EQ(span.firstPass, expected.front()) << fps << " fps, " << from << " to " << to;
                }
            }
        }
    }
}

// A span without --to ends at the largest millisecond count; at a thousand passes a second its
// product with the rate passes 64 bits, and once made the span empty.
TEST(CaptureSpan, AnOpenEndReachesTheLastPassAtEveryRate) {
    for (uint32_t fps = 1; fps <= 1000; ++fps) {
        const uint32_t lastPass = static_cast<uint32_t>((uint64_t{196001} * fps - 1) / 1000);
        for (uint64_t from : {uint64_t{0}, uint64_t{98765}, uint64_t{195990}}) {
            const CaptureSpan span = SpanBetween(from, UINT64_MAX / 1000, lastPass, fps);
            ASSERT_EQ(uint64_t{span.firstPass} + span.frameCount, uint64_t{lastPass} + 1) << fps << " fps";
            // The first pass is the first whose clock reads `from` or later.
            ASSERT_GE(uint64_t{span.firstPass} * 1000 / fps, from) << fps << " fps";
            ASSERT_TRUE(span.firstPass == 0 || (uint64_t{span.firstPass} - 1) * 1000 / fps < from)
                << fps << " fps";
        }
    }
}

TEST(CaptureSpan, SoundFollowsThePictureToTheSample) {
    for (uint64_t frame : {0u, 1u, 60u, 11761u}) {
        EXPECT_EQ(SamplesBeforeFrame(frame, 60, 44100), static_cast<int64_t>(frame * 735));
        EXPECT_EQ(SamplesBeforeFrame(frame, 60, 48000), static_cast<int64_t>(frame * 800));
    }
    // 7 frames a second: 6300 samples per frame, rounded to the nearest.
    EXPECT_EQ(SamplesBeforeFrame(1, 7, 44100), 6300);
    EXPECT_EQ(SamplesBeforeFrame(1, 7, 48000), 6857);   // 6857.14
    EXPECT_EQ(SamplesBeforeFrame(3, 7, 48000), 20571);  // 20571.43
    EXPECT_EQ(SamplesBeforeFrame(5, 7, 48000), 34286);  // 34285.71
}

TEST(FrameScaler, FourByThreeFitsCentredWithBars) {
    struct Case {
        int width, height, x, y, boxWidth, boxHeight;
    };
    for (const Case& c : {Case{640, 480, 0, 0, 640, 480}, Case{1920, 1080, 240, 0, 1440, 1080},
                          Case{1280, 720, 160, 0, 960, 720}, Case{1000, 1000, 0, 125, 1000, 750},
                          Case{2, 2, 0, 0, 2, 1}, Case{321, 240, 0, 0, 320, 240}}) {
        const PictureBox box = FitFourByThree(c.width, c.height);
        EXPECT_EQ(box.x, c.x) << c.width << "x" << c.height;
        EXPECT_EQ(box.y, c.y) << c.width << "x" << c.height;
        EXPECT_EQ(box.width, c.boxWidth) << c.width << "x" << c.height;
        EXPECT_EQ(box.height, c.boxHeight) << c.width << "x" << c.height;
    }
}

// The source pixel under the centre of each output pixel, worked out in floating point.
std::vector<uint32_t> ScaleByCentres(const std::vector<uint32_t>& source, int width, int height) {
    const PictureBox box = FitFourByThree(width, height);
    std::vector<uint32_t> out(static_cast<size_t>(width) * height, 0xFF000000u);
    for (int y = 0; y < box.height; ++y) {
        for (int x = 0; x < box.width; ++x) {
            const int sx = static_cast<int>((x + 0.5) * FRAME_WIDTH / box.width);
            const int sy = static_cast<int>((y + 0.5) * FRAME_HEIGHT / box.height);
            out[static_cast<size_t>(box.y + y) * width + box.x + x] =
                source[sy * FRAME_WIDTH + sx] | 0xFF000000u;
        }
    }
    return out;
}

TEST(FrameScaler, EveryPixelIsTheSourcePixelUnderItsCentre) {
    std::vector<uint32_t> source(FRAME_PIXELS);
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        source[i] = static_cast<uint32_t>(i) * 2654435761u & 0x00FFFFFFu;  // every pixel its own
    }
    for (auto [width, height] :
         {std::pair{640, 480}, {1920, 1080}, {1280, 960}, {1000, 1000}, {333, 250}, {2, 2}}) {
        const FrameScaler scaler = MakeFrameScaler(width, height);
        std::vector<uint32_t> scaled(static_cast<size_t>(width) * height, 0x12345678u);
        ScaleFrame(scaler, source.data(), scaled.data());
        EXPECT_EQ(scaled, ScaleByCentres(source, width, height)) << width << "x" << height;
    }
}

// The consumer takes a frame only once the queue is full (or closed), so that every frame it
// takes has another behind it and the producer is waiting for room.
TEST(FrameQueue, FramesArriveInOrderThroughAFullQueue) {
    FrameQueue queue;
    queue.capacity = 2;
    constexpr uint32_t FRAMES = 50;
    std::thread producer([&] {
        for (uint32_t i = 0; i < FRAMES && PushFrame(queue, std::vector<uint32_t>{i, i + 1}.data(), 2); ++i) {
        }
        CloseFrameQueue(queue);
    });
    std::vector<uint32_t> frame;
    uint32_t received = 0;
    for (;; ++received) {
        {
            std::unique_lock lock(queue.mutex);
            queue.changed.wait(lock, [&] { return queue.closed || queue.frames.size() == queue.capacity; });
        }
        if (!PopFrame(queue, frame)) {
            break;
        }
        if (frame != std::vector<uint32_t>{received, received + 1}) {
            ADD_FAILURE() << "frame " << received << " came as " << frame[0];
            StopFrameQueue(queue);
            break;
        }
    }
    producer.join();
    EXPECT_EQ(received, FRAMES);
}

TEST(FrameQueue, StoppingReleasesAWaitingProducer) {
    FrameQueue queue;
    queue.capacity = 1;
    const uint32_t pixel = 7;
    ASSERT_TRUE(PushFrame(queue, &pixel, 1));
    bool pushed = true;
    std::thread producer([&] { pushed = PushFrame(queue, &pixel, 1); });  // waits: the queue is full
    StopFrameQueue(queue);
    producer.join();
    EXPECT_FALSE(pushed);
    std::vector<uint32_t> frame;
    EXPECT_FALSE(PopFrame(queue, frame));
}

}  // namespace
