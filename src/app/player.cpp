#include "app/player.h"

#include <algorithm>

#include "app/seek.h"
#include "app/show.h"
#include "platform/fixed_step_clock.h"

namespace {

constexpr int64_t JUMP_MS = 5000;
constexpr int64_t FAR_JUMP_MS = 30000;

}  // namespace

uint32_t LastPassMs(uint32_t gridFps) {
    return PassMilliseconds(LastPassOfShow(gridFps), gridFps);
}

std::optional<uint32_t> CommandTarget(PlayerCommand command, uint32_t shownMs, bool paused,
                                      uint32_t gridFps) {
    const int64_t shown = shownMs;
    const auto WithinShow = [&](int64_t elapsedMs) {
        return static_cast<uint32_t>(std::clamp<int64_t>(elapsedMs, 0, LastPassMs(gridFps)));
    };
    switch (command) {
        case PlayerCommand::Back:
            return WithinShow(shown - JUMP_MS);
        case PlayerCommand::Forward:
            return WithinShow(shown + JUMP_MS);
        case PlayerCommand::FarBack:
            return WithinShow(shown - FAR_JUMP_MS);
        case PlayerCommand::FarForward:
            return WithinShow(shown + FAR_JUMP_MS);
        case PlayerCommand::ToStart:
            return 0u;
        case PlayerCommand::StepForward:
            if (!paused) {
                return std::nullopt;
            }
            return WithinShow(PassMilliseconds(FirstPassAtOrAfter(shownMs + 1, gridFps), gridFps));
        case PlayerCommand::StepBack:
            if (!paused) {
                return std::nullopt;
            }
            return shownMs == 0 ? 0u : PassMilliseconds(FirstPassAtOrAfter(shownMs, gridFps) - 1, gridFps);
        case PlayerCommand::None:
        case PlayerCommand::PauseOrResume:
            break;
    }
    return std::nullopt;
}
