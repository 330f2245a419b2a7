#pragma once
#include <array>
#include <cstddef>

#include "platform/platform.h"

// The player's keys handled and not yet taken, oldest first; a pass takes one, so keys pressed
// together act on the passes that follow, in order. Keys past the last slot are dropped.
struct CommandQueue {
    std::array<PlayerCommand, 16> commands{};
    size_t count = 0;
};

inline void PushCommand(CommandQueue& queue, PlayerCommand command) {
    if (command != PlayerCommand::None && queue.count < queue.commands.size()) {
        queue.commands[queue.count++] = command;
    }
}

// The oldest command, or None when the queue is empty.
inline PlayerCommand TakeCommand(CommandQueue& queue) {
    if (queue.count == 0) {
        return PlayerCommand::None;
    }
    const PlayerCommand taken = queue.commands[0];
    for (size_t i = 1; i < queue.count; ++i) {
        queue.commands[i - 1] = queue.commands[i];
    }
    --queue.count;
    return taken;
}
