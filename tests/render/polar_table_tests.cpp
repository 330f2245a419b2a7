#include <gtest/gtest.h>

#include "render/framebuffer.h"
#include "render/polar_table.h"

namespace {

class PolarTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (uint8_t flags : {0, 1, 2, 4, 5}) {
            BuildPolarTable(tables[flags], flags);
        }
    }
    // The entry of the pixel at offset (x, y) from the screen centre.
    static const PolarEntry& At(int flags, int x, int y) {
        return tables[flags].entries[(y + 240) * 640 + x + 320];
    }
    static PolarTable tables[6];
};

PolarTable PolarTableTest::tables[6];

TEST_F(PolarTableTest, CentreAxesCornersAndTheWedgesBesideTheXAxis) {
    struct Case {
        int x, y, tunnelDistance, radialDistance, angle;
    };
    const Case cases[] = {
        {0, 0, 0, 255, 0},        {100, 0, 100, 193, 0},     {0, 100, 100, 193, 64},
        {-100, 0, 100, 193, 128}, {0, -100, 100, 193, 192},  {0, -240, 240, 105, 192},
        {-320, 0, 320, 55, 128},  {-320, -240, 400, 5, 155}, {319, -240, 399, 6, 230},
        {319, 239, 398, 6, 26},   {-320, 239, 399, 6, 101},  {100, -1, 100, 193, 0},
        {100, 1, 100, 193, 0},    {-100, 1, 100, 193, 127},  {-100, -1, 100, 193, 129},
        {100, -4, 100, 193, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "pixel " << c.x << "," << c.y);
        EXPECT_EQ(At(2, c.x, c.y).distance, c.tunnelDistance);
        EXPECT_EQ(At(4, c.x, c.y).distance, c.radialDistance);
        EXPECT_EQ(At(2, c.x, c.y).angle, c.angle);
        EXPECT_EQ(At(4, c.x, c.y).angle, c.angle);
    }
}

TEST_F(PolarTableTest, FlagOneEqualsFlagTwoAndWinsOverFour_NoFlagLeavesDistanceZero) {
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        const PolarEntry& tunnel = tables[2].entries[i];
        ASSERT_EQ(tables[1].entries[i].distance, tunnel.distance) << i;
        ASSERT_EQ(tables[5].entries[i].distance, tunnel.distance) << i;
        ASSERT_EQ(tables[0].entries[i].distance, 0) << i;
        for (int flags : {0, 1, 4, 5}) {
            ASSERT_EQ(tables[flags].entries[i].angle, tunnel.angle) << i;
        }
    }
}

TEST_F(PolarTableTest, DistanceExtremesAndAngle128OnlyOnTheNegativeXAxis) {
    int tunnelMax = 0, radialMin = 255, angle128 = 0, angle128OnAxis = 0;
    for (int y = -240; y < 240; ++y) {
        for (int x = -320; x < 320; ++x) {
            tunnelMax = std::max<int>(tunnelMax, At(2, x, y).distance);
            radialMin = std::min<int>(radialMin, At(4, x, y).distance);
            angle128 += At(2, x, y).angle == 128;
            angle128OnAxis += At(2, x, y).angle == 128 && y == 0 && x < 0;
        }
    }
    EXPECT_EQ(tunnelMax, 400);
    EXPECT_EQ(radialMin, 5);
    EXPECT_EQ(angle128, 320);
    EXPECT_EQ(angle128OnAxis, 320);
}

}  // namespace
