#include <gtest/gtest.h>

#include <vector>

#include "render/framebuffer.h"
#include "render/landscape.h"
#include "render/landscape_slopes.h"
#include "render/polar_table.h"
#include "render/polar_table_reference.h"
#include "support/landscape_fixture.h"

namespace {

// The fast builder, which takes the arc tangent only near a change of column, gives every entry
// of every flag combination exactly as the entry-by-entry one, on one thread and on two.
TEST(PolarTableBuild, EqualsTheEntryByEntryBuildForEveryFlag) {
    WorkerPool pool(2);
    for (uint8_t flags = 0; flags < 8; ++flags) {
        PolarTable reference, alone, shared;
        BuildPolarTableReference(reference, flags);
        BuildPolarTable(alone, flags);
        BuildPolarTable(shared, flags, &pool);
        for (int i = 0; i < FRAME_PIXELS; ++i) {
            const PolarEntry& expected = reference.entries[i];
            for (const PolarTable* table : {&alone, &shared}) {
                const PolarEntry& entry = table->entries[i];
                ASSERT_EQ(entry.distance, expected.distance) << "flags " << int(flags) << " entry " << i;
                ASSERT_EQ(entry.angle, expected.angle) << "flags " << int(flags) << " entry " << i;
                ASSERT_EQ(entry.spare, expected.spare) << "flags " << int(flags) << " entry " << i;
            }
        }
    }
}

// Every vector level computes each cell's light index as LightIndexOfCell, the wrap at the map's
// edges included, on rough terrain and on a map of extreme bytes, with biases of either sign.
TEST(ShadeMapSlopes, EveryLevelMatchesTheCellByCellLightIndex) {
    std::vector<uint8_t> rough(MAP_CELLS), extremes(MAP_CELLS);
    FillTerrain(rough.data(), 11, 6);
    TestRandom random{5};
    for (uint8_t& cell : extremes) {
        cell = random.Next() % 2 ? 255 : 0;
    }
    const int8_t biases[][2] = {{0, 0}, {-128, 127}, {37, -90}};
    for (const std::vector<uint8_t>* map : {&rough, &extremes}) {
        for (const auto& [biasX, biasY] : biases) {
            for (SimdLevel level : {SimdLevel::Portable, SimdLevel::Sse2, SimdLevel::Avx2}) {
                if (!SimdLevelAvailable(level)) {
                    continue;
                }
                std::vector<uint16_t> indices(MAP_CELLS);
                ComputeLightIndices(map->data(), indices.data(), biasX, biasY, level);
                for (int i = 0; i < MAP_CELLS; ++i) {
                    const auto x = static_cast<uint8_t>(i), y = static_cast<uint8_t>(i >> 8);
                    ASSERT_EQ(indices[i], LightIndexOfCell(map->data(), x, y, biasX, biasY))
                        << SimdLevelName(level) << " cell " << i << " biases " << int(biasX) << ", "
                        << int(biasY);
                }
            }
        }
    }
}

}  // namespace
