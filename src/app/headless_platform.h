#pragma once
#include <string>

#include "platform/platform.h"

// The platform of the headless modes: no window, no sound, no keyboard. The loop leaves
// when `leave` is set (the caller's own stop) or when the clock passes the show's end.
struct HeadlessPlatform : Platform {
    bool leave = false;
    std::string title;  // the last title set

    void HandleEvents() override {}
    bool ShouldLeave() override { return leave; }
    PlayerCommand TakeCommand() override { return PlayerCommand::None; }
    void WaitForEvent(uint32_t) override {}
    void Present(const uint32_t*) override {}
    void SetTitle(const char* text) override { title = text; }
    void StartMusic(const char*, uint32_t) override {}
    void SeekMusic(uint32_t) override {}
    void PauseMusic(bool) override {}
    void StopMusic() override {}
};
