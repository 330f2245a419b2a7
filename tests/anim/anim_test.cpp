#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "anim/registration.h"

namespace {

template <typename T>
void Register(VariableList& list, float start, float end, T* target, T from, T to, uint8_t flags = 0) {
    testing::internal::CaptureStdout();
    AddVariable<T>(list, start, end, target, from, to, flags);
    testing::internal::GetCapturedStdout();
}

TEST(Registration, PrintsNamesAndSetsTypeBytesInOrder) {
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
    const uint8_t expected[] = {0x40, 0x01, 0x02, 0x04, 0x08, 0xC0, 0x81};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(list.items[i]->type, expected[i]) << "track " << i;
        EXPECT_EQ(list.items[i]->active, 1);
    }
}

TEST(Registration, NameTableMatchesTags) {
    EXPECT_EQ(TypeTagForName("int"), TYPE_INT);
    EXPECT_EQ(TypeTagForName("unsigned int"), TYPE_UINT);
    EXPECT_EQ(TypeTagForName("unsigned"), 0);
    EXPECT_TRUE((std::is_same_v<int8_t, signed char>));  // "char" tracks are signed everywhere
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

TEST(Values, ViewReceivesTheTrackKeysAndIgnoresOtherTypes) {
    int16_t field = 0;
    Variable<int16_t> track(1, 2, &field, -3, 9);
    Value<int16_t> view;
    track.GetValue(&view);
    EXPECT_EQ(view.target, &field);
    EXPECT_EQ(view.from, -3);
    EXPECT_EQ(view.to, 9);
    Value<float> wrong;
    track.GetValue(&wrong);
    EXPECT_EQ(wrong.target, nullptr);
}

TEST(Evaluation, EmptyListWritesNothing) {
    VariableList list;
    UpdateVariables(list, 5.0f);
    EXPECT_EQ(list.count, 0);
}

TEST(Evaluation, UnsignedCharRampTruncatesAndRetiresAtItsEnd) {
    VariableList list;
    uint8_t field = 77;
    Register<uint8_t>(list, 10, 11, &field, 0, 255);
    UpdateVariables(list, 9.5f);
    EXPECT_EQ(field, 77);  // before start: untouched, still active
    EXPECT_EQ(list.items[0]->active, 1);
    UpdateVariables(list, 10.0f);
    EXPECT_EQ(field, 0);
    UpdateVariables(list, 10.5f);
    EXPECT_EQ(field, 127);  // 127.5 truncated
    UpdateVariables(list, 11.0f);
    EXPECT_EQ(field, 255);
    EXPECT_EQ(list.items[0]->active, 0);
    field = 3;  // a retired track is not re-applied
    UpdateVariables(list, 10.5f);
    EXPECT_EQ(field, 3);
}

TEST(Evaluation, NoClampPastTheEnd) {
    VariableList list;
    uint8_t field = 0;
    Register<uint8_t>(list, 7, 8, &field, 255, 0);
    UpdateVariables(list, 7.99f);
    EXPECT_EQ(field, 2);
    UpdateVariables(list, 8.006f);
    EXPECT_EQ(field, 2);
    EXPECT_EQ(list.items[0]->active, 0);
}

TEST(Evaluation, SignedAndFloatBlends) {
    VariableList list;
    int8_t c = 0;
    float f = 0;
    int16_t s = 0;
    uint16_t us = 0;
    Register<int8_t>(list, 0, 4, &c, -10, 0);
    Register<float>(list, 130, 159, &f, 0, 2);
    Register<int16_t>(list, 0, 2, &s, -15, 0);
    Register<uint16_t>(list, 0, 2, &us, 65535, 0);
    UpdateVariables(list, 1.0f);  // u = 0.25 and 0.5
    EXPECT_EQ(c, -7);             // -7.5 truncates toward zero
    EXPECT_EQ(s, -7);
    EXPECT_EQ(us, 32767);  // unsigned keys enter the blend unsigned
    UpdateVariables(list, 144.5f);
    EXPECT_FLOAT_EQ(f, 1.0f);
}

TEST(Evaluation, BlendIsFormedFromTheFloatRoundedPosition) {
    // u = 1/3: blending from the float-rounded u gives 5592405.0, from the exact u 5592405.5.
    VariableList list;
    float field = 0;
    Register<float>(list, 0, 3, &field, 16777216.0f, -16777216.0f);
    UpdateVariables(list, 1.0f);
    EXPECT_EQ(field, 5592405.0f);
}

TEST(Evaluation, IntViewsTruncateAndKeepLowBits) {
    VariableList list;
    int32_t i = 0;
    uint32_t ui = 0;
    Register<int32_t>(list, 0, 2, &i, -5, 0);
    Register<uint32_t>(list, 0, 2, &ui, 4000000000u, 0);
    EXPECT_EQ(list.items[0]->type, TYPE_INT);
    EXPECT_EQ(list.items[1]->type, TYPE_UINT);
    UpdateVariables(list, 1.0f);
    EXPECT_EQ(i, -2);  // -2.5
    EXPECT_EQ(ui, 2000000000u);
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

TEST(Evaluation, LaterRegistrationWins) {
    VariableList list;
    uint8_t field = 0;
    Register<uint8_t>(list, 0, 1, &field, 5, 5);
    Register<uint8_t>(list, 0, 1, &field, 9, 9);
    UpdateVariables(list, 0.5f);
    EXPECT_EQ(field, 9);
}

TEST(Evaluation, ReversedAndEmptySpans) {
    VariableList list;
    uint8_t reversed = 1;
    uint8_t instant = 1;
    Register<uint8_t>(list, 5, 3, &reversed, 100, 200);
    Register<uint8_t>(list, 4, 4, &instant, 100, 200);
    UpdateVariables(list, 2.0f);
    EXPECT_EQ(list.items[0]->active, 1);
    UpdateVariables(list, 4.0f);
    EXPECT_EQ(reversed, 1);  // never writes
    EXPECT_EQ(list.items[0]->active, 0);
    EXPECT_EQ(instant, 200);  // a span of no length sits at its end
    EXPECT_EQ(list.items[1]->active, 0);
}

}  // namespace
