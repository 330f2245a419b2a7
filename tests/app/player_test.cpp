#include "app/player.h"

#include <gtest/gtest.h>

namespace {

// Jumps stay within the show; steps go to the neighbouring passes of the grid, from a time on it
// or between its passes, and only while paused.
TEST(Player, CommandsLandWithinTheShowAndStepAlongTheGrid) {
    using enum PlayerCommand;
    const struct {
        PlayerCommand command;
        uint32_t shownMs;
        bool paused;
        std::optional<uint32_t> target;
    } cases[] = {
        {Forward, 120000, false, 125000},
        {Back, 120000, true, 115000},
        {FarForward, 120000, false, 150000},
        {FarBack, 120000, false, 90000},
        {Back, 3000, false, 0},
        {FarForward, 180000, false, 196000},
        {ToStart, 150016, false, 0},
        {StepForward, 150000, true, 150016},
        {StepForward, 150016, true, 150033},
        {StepForward, 150020, true, 150033},
        {StepBack, 150016, true, 150000},
        {StepBack, 150020, true, 150016},
        {StepBack, 0, true, 0},
        {StepForward, 196000, true, 196000},
        {StepForward, 150000, false, std::nullopt},
        {StepBack, 150000, false, std::nullopt},
        {PauseOrResume, 1000, false, std::nullopt},
        {None, 1000, true, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CommandTarget(c.command, c.shownMs, c.paused, 60), c.target)
            << static_cast<int>(c.command) << " from " << c.shownMs << (c.paused ? " paused" : "");
    }
}

}  // namespace
