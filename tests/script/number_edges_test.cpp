// The numbers at the edges of the script's number column (tests/data/number_edges.txt), read
// as the table says; the browser tests read the same table through the WebAssembly build.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "script/script_numbers.h"

namespace {

std::string Outcome(const std::string& text) {
    float value = 0.0f;
    switch (ReadNumber(text, value)) {
        case NumberRead::Ok: {
            char bits[16];
            std::snprintf(bits, sizeof bits, "ok %08x", std::bit_cast<uint32_t>(value));
            return bits;
        }
        case NumberRead::NotANumber:
            return "not-a-number";
        case NumberRead::OutOfRange:
            return "out-of-range";
    }
    return "?";
}

TEST(NumberEdges, EveryTextOfTheSharedTableReadsAsTheTableSays) {
    std::ifstream table(VOXELSHOW_SOURCE_DIR "/tests/data/number_edges.txt");
    ASSERT_TRUE(table) << "tests/data/number_edges.txt: cannot open";
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        EXPECT_EQ(Outcome(line.substr(0, tab)), line.substr(tab + 1)) << line.substr(0, tab);
        ++rows;
    }
    EXPECT_GT(rows, 40);
}

}  // namespace
