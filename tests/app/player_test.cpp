#include "app/player.h"

#include <gtest/gtest.h>

namespace {

// Jumps stay within the show, on its first and last pass; steps go to the neighbouring passes of the grid
// also from a time between its passes, and not past either end. (The loop's own test plays the rest.)
TEST(Player, CommandsLandWithinTheShowAndStepAlongTheGrid) {
    using enum PlayerCommand;
    const struct {
        PlayerCommand command;
        uint32_t shownMs;
        bool paused;
        std::optional<uint32_t> target;
    } cases[] = {
        {Back, 3000, false, 0},
        {FarForward, 180000, false, 196000},
        {StepForward, 150020, true, 150033},
        {StepBack, 150020, true, 150016},
        {StepBack, 0, true, 0},
        {StepForward, 196000, true, 196000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandTarget(c.command, c.shownMs, c.paused, 60), c.target)
            << static_cast<int>(c.command) << " from " << c.shownMs << (c.paused ? " paused" : "");
    }
}

}  // namespace
