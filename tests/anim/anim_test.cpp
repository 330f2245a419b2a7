#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "anim/registration.h"
#include "anim/track_replay.h"

#include <cmath>
#include <limits>
#include <random>
#include <tuple>

namespace {

template <typename T>
void Register(VariableList& list, float start, float end, T* target, T from, T to, uint8_t flags = 0) {
    testing::internal::CaptureStdout();
    AddVariable<T>(list, start, end, target, from, to, flags);
    testing::internal::GetCapturedStdout();
}

// The field after a lone track over it, starting from `initial`, is evaluated once at `time`.
template <typename T>
T EvaluateOnce(float start, float end, T from, T to, float time, T initial = 0) {
    VariableList list;
    T field = initial;
    Register<T>(list, start, end, &field, from, to);
    UpdateVariables(list, time);
    return field;
}

// (Each type's width and signedness are held by what the evaluation writes.)
TEST(Registration, PrintsNamesInOrder) {
    VariableList list;
    float f = 0;
    int8_t c = 0;
    uint8_t uc = 0;
    int16_t s = 0;
    uint16_t us = 0;
    testing::internal::CaptureStdout();
    AddVariable<float>(list, 0, 1, &f, 0, 1);
    AddVariable<int8_t>(list, 0, 1, &c, 0, 1);
    AddVariable<uint8_t>(list, 0, 1, &uc, 0, 1);
    AddVariable<int16_t>(list, 0, 1, &s, 0, 1);
    AddVariable<uint16_t>(list, 0, 1, &us, 0, 1);
    AddVariable<float>(list, 0, 1, &f, 0, 0, CLOCK_DRIVEN);
    AddVariable<int8_t>(list, 0, 1, &c, 0, 0, CLOCK_DRIVEN);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "float, char, unsigned char, short, unsigned short, float, char, ");
    ASSERT_EQ(list.count, 7);
    ASSERT_EQ(list.items.size(), 7u);
    for (const auto& track : list.items) {
        EXPECT_EQ(track->active, 1);
    }
}

TEST(Registration, RefusesTheTrackThatWouldWrapTheCount) {
    VariableList list;
    uint8_t field = 0;
    testing::internal::CaptureStdout();
    for (int i = 0; i < 65535; ++i) {
        AddVariable<uint8_t>(list, 0, 1, &field, 0, 1);
    }
    EXPECT_THROW(AddVariable<uint8_t>(list, 0, 1, &field, 0, 1), std::length_error);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(list.count, 65535);
    EXPECT_EQ(list.items.size(), 65535u);
}

TEST(Evaluation, BlendsTruncateTowardZeroInEveryElementType) {
    EXPECT_EQ(EvaluateOnce<uint8_t>(10, 11, 0, 255, 10.0f, 77), 0);
    EXPECT_EQ(EvaluateOnce<uint8_t>(10, 11, 0, 255, 10.5f), 127);  // 127.5
    EXPECT_EQ(EvaluateOnce<uint8_t>(7, 8, 255, 0, 7.99f), 2);
    EXPECT_EQ(EvaluateOnce<int8_t>(0, 4, -10, 0, 1.0f), -7);  // -7.5
    EXPECT_EQ(EvaluateOnce<int16_t>(0, 2, -15, 0, 1.0f), -7);
    EXPECT_EQ(EvaluateOnce<uint16_t>(0, 2, 65535, 0, 1.0f), 32767);  // unsigned keys enter unsigned
    EXPECT_EQ(EvaluateOnce<int32_t>(0, 2, -5, 0, 1.0f), -2);
    EXPECT_EQ(EvaluateOnce<uint32_t>(0, 2, 4000000000u, 0, 1.0f), 2000000000u);
    EXPECT_FLOAT_EQ(EvaluateOnce<float>(130, 159, 0, 2, 144.5f), 1.0f);
    // u = 1/3: blending from the float-rounded u gives 5592405.0, from the exact u 5592405.5.
    EXPECT_EQ(EvaluateOnce<float>(0, 3, 16777216.0f, -16777216.0f, 1.0f), 5592405.0f);
}

TEST(Evaluation, SpansEdgesWriteOrNotAsTheyShould) {
    EXPECT_EQ(EvaluateOnce<uint8_t>(7, 8, 255, 0, 8.006f, 9), 9);    // past the end: no clamp
    EXPECT_EQ(EvaluateOnce<uint8_t>(4, 4, 100, 200, 4.0f, 1), 200);  // no length: sits at its end
    EXPECT_EQ(EvaluateOnce<uint8_t>(5, 3, 100, 200, 4.0f, 1), 1);    // reversed: never writes
}

TEST(Evaluation, TracksWaitForTheirStartAndRetireAtTheirEnd) {
    VariableList list;
    uint8_t field = 77;
    Register<uint8_t>(list, 10, 11, &field, 0, 255);
    UpdateVariables(list, 9.5f);
    EXPECT_EQ(field, 77);
    EXPECT_EQ(list.items[0]->active, 1);
    UpdateVariables(list, 11.0f);
    EXPECT_EQ(field, 255);
    EXPECT_EQ(list.items[0]->active, 0);
    field = 3;  // a retired track is not re-applied
    UpdateVariables(list, 10.5f);
    EXPECT_EQ(field, 3);
}

// Tracks are evaluated in the order they were registered: on a shared field the later one wins.
TEST(Evaluation, TheLaterOfTwoTracksOnOneFieldWins) {
    VariableList list;
    uint8_t field = 0;
    Register<uint8_t>(list, 0, 10, &field, 10, 10);
    Register<uint8_t>(list, 5, 6, &field, 20, 20);
    UpdateVariables(list, 5.5f);
    EXPECT_EQ(field, 20);
    UpdateVariables(list, 7.0f);
    EXPECT_EQ(field, 10);
}

TEST(Evaluation, ClockTracksWriteTheCoarseClock) {
    VariableList list;
    int8_t c = 0;
    float f = 0;
    uint8_t u = 9;
    Register<int8_t>(list, 0, 196, &c, c, c, CLOCK_DRIVEN);
    Register<float>(list, 0, 196, &f, f, f, CLOCK_DRIVEN);
    Register<uint8_t>(list, 30, 40, &u, u, u, CLOCK_DRIVEN);
    demoTimeTens = 2.53f;
    UpdateVariables(list, 25.3f);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(f, 2.53f);
    EXPECT_EQ(u, 9);  // outside its span the field stands still
    demoTimeTens = 0.0f;
}

// Eight fields of every element type, written by the tracks of one list.
struct FieldBank {
    int8_t chars[8] = {};
    uint8_t bytes[8] = {};
    int16_t shorts[8] = {};
    uint16_t words[8] = {};
    int32_t ints[8] = {};
    uint32_t uints[8] = {};
    float floats[8] = {};

    bool operator==(const FieldBank&) const = default;
};

// A span edge: mostly within 0 to 10 s, sometimes on a whole second, missing or endless.
float RandomEdge(std::mt19937& random) {
    switch (random() % 12) {
        case 0:
            return std::numeric_limits<float>::quiet_NaN();
        case 1:
            return std::numeric_limits<float>::infinity();
        case 2:
        case 3:
            return static_cast<float>(random() % 11);
        default:
            return static_cast<float>(random() % 10000) / 1000.0f;
    }
}

// Registers the same random tracks on two banks: every element type, clock-driven or not,
// inverted, empty and unbounded spans, a few without a target, and seven tracks to a field on
// average, so that the tracks on one field overlap and take turns to win.
void RegisterRandomTracks(uint32_t seed, VariableList& a, FieldBank& bankA, VariableList& b,
                          FieldBank& bankB) {
    std::mt19937 random(seed);
    testing::internal::CaptureStdout();
    for (int i = 0; i < 150; ++i) {
        const float start = RandomEdge(random);
        const float end = random() % 4 == 0 ? start : RandomEdge(random);
        const int field = static_cast<int>(random() % 3);
        const bool untargeted = random() % 40 == 0;
        const uint8_t flags = random() % 4 == 0 ? CLOCK_DRIVEN : 0;
        const auto from = static_cast<int>(random() % 200) - 50;
        const auto to = static_cast<int>(random() % 200);
        auto add = [&](auto FieldBank::*fields) {
            using T = std::remove_reference_t<decltype((bankA.*fields)[0])>;
            T* targetA = untargeted ? nullptr : &(bankA.*fields)[field];
            T* targetB = untargeted ? nullptr : &(bankB.*fields)[field];
            AddVariable<T>(a, start, end, targetA, static_cast<T>(from), static_cast<T>(to), flags);
            AddVariable<T>(b, start, end, targetB, static_cast<T>(from), static_cast<T>(to), flags);
        };
        const auto fields =
            std::make_tuple(&FieldBank::chars, &FieldBank::bytes, &FieldBank::shorts, &FieldBank::words,
                            &FieldBank::ints, &FieldBank::uints, &FieldBank::floats);
        const size_t pick = random() % std::tuple_size_v<decltype(fields)>;
        std::apply(
            [&](auto... each) {
                size_t index = 0;
                ((index++ == pick ? add(each) : void()), ...);
            },
            fields);
    }
    testing::internal::GetCapturedStdout();
}

std::vector<int32_t> ActiveFlags(const VariableList& list) {
    std::vector<int32_t> flags;
    for (const auto& track : list.items) {
        flags.push_back(track->active);
    }
    return flags;
}

// The replay evaluates one track a field, yet after every pass the fields and the retirement are
// those of a full evaluation at the same times: small and large steps, repeated
// times and times on span edges. It starts from the registered state even on a list that has
// already been played to its end.
TEST(TrackReplay, EqualsFullEvaluationAtEveryPass) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        VariableList full, replayed;
        FieldBank fullBank, replayedBank;
        RegisterRandomTracks(seed, full, fullBank, replayed, replayedBank);
        UpdateVariables(replayed, 20.0f);
        TrackReplay replay;
        StartReplay(replay, replayed);
        replayedBank = fullBank;
        std::mt19937 random(seed * 7);
        float time = 0.0f;
        for (int pass = 0; pass < 2000 && time <= 11.0f; ++pass) {
            demoTimeTens = time / 10.0f;
            UpdateVariables(full, time);
            ReplayVariables(replay, replayed, time);
            ASSERT_TRUE(fullBank == replayedBank) << "pass " << pass << " at " << time << " s";
            ASSERT_EQ(ActiveFlags(full), ActiveFlags(replayed)) << "pass " << pass << " at " << time << " s";
            const uint32_t step = random() % 10;
            time = step == 0 ? time : step < 8 ? time + step * 0.013f : std::floor(time) + 1.0f;
        }
        EXPECT_GT(time, 11.0f);
    }
    demoTimeTens = 0.0f;
}

}  // namespace
