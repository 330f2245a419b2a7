#include <gtest/gtest.h>

#include <string>

#include "anim/demo_clock.h"
#include "platform/fixed_step_clock.h"
#include "platform/frame_stats.h"

namespace {

// A counter that reads whatever the test sets, and counts the updates that began.
struct FakeClock : Clock {
    void BeginUpdate() override { ++updates; }
    uint32_t ReadMilliseconds() override { return now; }
    uint32_t now = 0;
    int updates = 0;
};

class FrameTimer : public testing::Test {
protected:
    void SetUp() override { ResetFrameStats(); }
    void TearDown() override { ResetFrameStats(); }

    void UpdateAt(uint32_t ms) {
        clock.now = ms;
        UpdateFrameTimer(clock);
    }

    FakeClock clock;
};

TEST_F(FrameTimer, ClockRunsFromTheStartReadingAndWraps) {
    clock.now = 0xFFFFFF00u;  // the counter wraps 256 ms after the start
    StartFrameTimer(clock);
    UpdateAt(0x00000100u);
    EXPECT_EQ(elapsedMs, 512u);
    EXPECT_EQ(demoTime, 0.512f);
    EXPECT_EQ(demoTimeTens, 0.0512f);
    EXPECT_EQ(clock.updates, 1);
}

TEST_F(FrameTimer, TimerTextPadsAndShowsTheLowBytes) {
    StartFrameTimer(clock);
    UpdateAt(12);
    EXPECT_STREQ(timerText, "timer ms: 000012, epsilon: 12, avr: 12 | ");
    UpdateAt(17);
    EXPECT_STREQ(timerText, "timer ms: 000017, epsilon: 05, avr: 08 | ");  // avr (12 + 5) / 2 = 8.5
    UpdateAt(317);
    EXPECT_EQ(epsilon, 300u);
    EXPECT_STREQ(timerText, "timer ms: 000317, epsilon: 44, avr: 154 | ");  // 300 shows as 44
    UpdateAt(1234567);
    EXPECT_EQ(std::string(timerText).rfind("timer ms: 1234567, ", 0), 0u);
}

TEST_F(FrameTimer, RateWindowClosesOnlyAfterMoreThanHalfASecond) {
    StartFrameTimer(clock);
    for (uint32_t t = 100; t <= 500; t += 100) {
        UpdateAt(t);
    }
    EXPECT_STREQ(fpsText, "");  // exactly 500 ms: still open
    EXPECT_EQ(fpsFrameCount, 5u);
    UpdateAt(600);
    EXPECT_STREQ(fpsText, "average fps: 10.00, min fps: 10.00, max fps: 10.00 | ");  // six updates, 600 ms
    EXPECT_EQ(fpsFrameCount, 0u);
    EXPECT_EQ(fpsWindowStart, 600.0f);
    UpdateAt(850);
    UpdateAt(1101);  // two updates over 501 ms
    EXPECT_STREQ(fpsText, "average fps: 3.99, min fps: 3.99, max fps: 10.00 | ");
}

TEST_F(FrameTimer, ClearedTimerFlagFreezesTheClockButNotTheRate) {
    statsFlags = STATS_FPS;
    StartFrameTimer(clock);
    UpdateAt(501);
    EXPECT_EQ(demoTime, 0.0f);
    EXPECT_STREQ(timerText, "");
    EXPECT_STRNE(fpsText, "");
}

// After a jump (or a pause) the clock goes on from where it landed, and the averages start
// afresh: neither a step back nor the time spent away shows as a frame time or a rate.
TEST_F(FrameTimer, MovedClockGoesOnFromTheNewTimeAndRestartsTheAverages) {
    clock.now = 90000;
    StartFrameTimer(clock);
    for (uint32_t t = 100; t <= 700; t += 100) {
        UpdateAt(90000 + t);
    }
    ASSERT_STRNE(fpsText, "");
    const std::string rates = fpsText;
    clock.now = 200000;
    MoveFrameTimer(clock, 5000);  // back from 90.7 s to 5 s, and 109 s later
    EXPECT_EQ(demoTime, 5.0f);
    EXPECT_EQ(demoTimeTens, 0.5f);
    EXPECT_STREQ(timerText, "timer ms: 005000, epsilon: 00, avr: 00 | ");
    UpdateAt(200020);
    EXPECT_EQ(elapsedMs, 5020u);
    EXPECT_STREQ(timerText, "timer ms: 005020, epsilon: 20, avr: 20 | ");
    for (uint32_t t = 40; t <= 500; t += 20) {
        UpdateAt(200000 + t);
    }
    EXPECT_EQ(fpsText, rates);  // the window restarted at the jump: still open at 500 ms
    UpdateAt(200520);
    EXPECT_STREQ(fpsText, "average fps: 50.00, min fps: 10.00, max fps: 50.00 | ");
}

TEST(FixedStep, KthUpdateReadsFloorOfKThousandOverFps) {
    FixedStepClock clock(60);
    EXPECT_EQ(clock.ReadMilliseconds(), 0u);
    const uint32_t expected[] = {16, 33, 50, 66, 83, 100};
    for (uint32_t k : expected) {
        clock.BeginUpdate();
        EXPECT_EQ(clock.ReadMilliseconds(), k);
        EXPECT_EQ(clock.ReadMilliseconds(), k);  // every reading of one update agrees
    }
    FixedStepClock seven(7);
    for (int k = 0; k < 7 * 196; ++k) {
        seven.BeginUpdate();
    }
    EXPECT_EQ(seven.ReadMilliseconds(), 196000u);
}

// A jump on the fixed-step clock lands on the first pass at or after the time asked for, and the
// updates go on along the grid from there.
TEST(FixedStep, JumpsLandOnTheGridAndGoOnAlongIt) {
    FixedStepClock clock(60);
    EXPECT_EQ(clock.LandOn(0), 0u);
    EXPECT_EQ(clock.LandOn(16), 16u);
    EXPECT_EQ(clock.LandOn(17), 33u);
    EXPECT_EQ(clock.LandOn(150000), 150000u);
    EXPECT_EQ(clock.LandOn(150001), 150016u);
    clock.BeginUpdate();
    EXPECT_EQ(clock.ReadMilliseconds(), 150033u);  // pass 9002
    FixedStepClock seven(7);
    EXPECT_EQ(seven.LandOn(1), 142u);
    EXPECT_EQ(seven.LandOn(195999), 196000u);
    EXPECT_EQ(seven.GridFps(), 7u);
}

}  // namespace
