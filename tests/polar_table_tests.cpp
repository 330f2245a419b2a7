#include <gtest/gtest.h>

#include "render/framebuffer.h"
#include "render/polar_table.h"

namespace {

// The entry of the screen pixel at offset (x, y) from the centre (x = -320..319, y = -240..239).
const PolarEntry& At(const PolarTable& table, int x, int y) {
    return table.entries[(y + 240) * 640 + (x + 320)];
}

class PolarTableTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BuildPolarTable(distanceTable, POLAR_DISTANCE);
        BuildPolarTable(tunnelTable, POLAR_TUNNEL);
        BuildPolarTable(radialTable, POLAR_RADIAL);
        BuildPolarTable(bothTable, POLAR_DISTANCE | POLAR_RADIAL);
        BuildPolarTable(noDistanceTable, 0);
    }
    static PolarTable distanceTable, tunnelTable, radialTable, bothTable, noDistanceTable;
};

PolarTable PolarTableTest::distanceTable, PolarTableTest::tunnelTable, PolarTableTest::radialTable,
    PolarTableTest::bothTable, PolarTableTest::noDistanceTable;

TEST_F(PolarTableTest, BuildReturnsTheTableItFilled) {
    PolarTable table;
    EXPECT_EQ(&BuildPolarTable(table, POLAR_TUNNEL), &table);
    ASSERT_NE(table.entries, nullptr);
}

TEST_F(PolarTableTest, CentreIsDistanceZeroOrRow255AndAngleZero) {
    EXPECT_EQ(At(distanceTable, 0, 0).distance, 0);
    EXPECT_EQ(At(tunnelTable, 0, 0).distance, 0);
    EXPECT_EQ(At(radialTable, 0, 0).distance, 255);
    for (const PolarTable* table : {&distanceTable, &tunnelTable, &radialTable}) {
        EXPECT_EQ(At(*table, 0, 0).angle, 0);
    }
}

TEST_F(PolarTableTest, AxesGiveQuarterTurnsWithTheArcTangentRoundedToFloat) {
    for (const PolarTable* table : {&tunnelTable, &radialTable}) {
        EXPECT_EQ(At(*table, 100, 0).angle, 0);
        EXPECT_EQ(At(*table, 0, 100).angle, 64);
        EXPECT_EQ(At(*table, -100, 0).angle, 128);
        EXPECT_EQ(At(*table, 0, -100).angle, 192);
        EXPECT_EQ(At(*table, 0, 239).angle, 64);
        EXPECT_EQ(At(*table, 0, -240).angle, 192);
        EXPECT_EQ(At(*table, -320, 0).angle, 128);
    }
    EXPECT_EQ(At(tunnelTable, 0, 100).distance, 100);
    EXPECT_EQ(At(tunnelTable, -320, 0).distance, 320);
    EXPECT_EQ(At(radialTable, 0, -240).distance, 255 - 150);
}

TEST_F(PolarTableTest, CornersHoldTheExtremeDistances) {
    // (x, y, plain distance, radial distance, angle)
    const int corners[4][5] = {{-320, -240, 400, 5, 155},
                               {319, -240, 399, 6, 230},
                               {319, 239, 398, 6, 26},
                               {-320, 239, 399, 6, 101}};
    for (const auto& c : corners) {
        SCOPED_TRACE(testing::Message() << "corner " << c[0] << "," << c[1]);
        EXPECT_EQ(At(tunnelTable, c[0], c[1]).distance, c[2]);
        EXPECT_EQ(At(distanceTable, c[0], c[1]).distance, c[2]);
        EXPECT_EQ(At(radialTable, c[0], c[1]).distance, c[3]);
        EXPECT_EQ(At(radialTable, c[0], c[1]).angle, c[4]);
    }
}

TEST_F(PolarTableTest, DistanceRangesOverTheWholeScreen) {
    int tunnelMax = 0;
    int radialMin = 255;
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        tunnelMax = std::max<int>(tunnelMax, tunnelTable.entries[i].distance);
        radialMin = std::min<int>(radialMin, radialTable.entries[i].distance);
    }
    EXPECT_EQ(tunnelMax, 400);
    EXPECT_EQ(radialMin, 5);
}

TEST_F(PolarTableTest, FlagOneEqualsFlagTwoAndWinsOverFlagFour) {
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        ASSERT_EQ(distanceTable.entries[i].distance, tunnelTable.entries[i].distance) << i;
        ASSERT_EQ(distanceTable.entries[i].angle, tunnelTable.entries[i].angle) << i;
        ASSERT_EQ(bothTable.entries[i].distance, tunnelTable.entries[i].distance) << i;
    }
}

TEST_F(PolarTableTest, NoDistanceFlagLeavesDistancesAtZeroButFillsAngles) {
    for (int i = 0; i < FRAME_PIXELS; ++i) {
        ASSERT_EQ(noDistanceTable.entries[i].distance, 0) << i;
        ASSERT_EQ(noDistanceTable.entries[i].angle, tunnelTable.entries[i].angle) << i;
    }
}

TEST_F(PolarTableTest, AngleTruncatesTowardZeroAroundTheHorizontalAxis) {
    // Just above and below the positive x axis both truncate to 0: a double-width wedge.
    EXPECT_EQ(At(tunnelTable, 100, -1).angle, 0);
    EXPECT_EQ(At(tunnelTable, 100, 1).angle, 0);
    // Just off the negative x axis the quotient stays short of 128 on either side.
    EXPECT_EQ(At(tunnelTable, -100, 1).angle, 127);
    EXPECT_EQ(At(tunnelTable, -100, -1).angle, 129);
    // A quotient between -2 and -1 gives 255.
    EXPECT_EQ(At(tunnelTable, 100, -4).angle, 255);
    int onNegativeAxis = 0;
    int total128 = 0;
    for (int y = -240; y < 240; ++y) {
        for (int x = -320; x < 320; ++x) {
            if (At(tunnelTable, x, y).angle == 128) {
                ++total128;
                onNegativeAxis += (y == 0 && x < 0);
            }
        }
    }
    EXPECT_EQ(total128, 320);
    EXPECT_EQ(onNegativeAxis, 320);
}

}  // namespace
