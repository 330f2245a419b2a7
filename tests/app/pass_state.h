#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <memory>
#include <span>

#include "app/show.h"
#include "script/builtin_script.h"

// What a pass leaves behind: the whole frame (all four bytes), the objects' fields, the tracks'
// retirement and the clock. The landscape's pointers are held as the index of the buffer they
// point to among their show's own. Its `light`, the shading of the last sample drawn, is read by
// no later pass and left out.
struct PassState {
    size_t frame = 0;
    ShowFields fields;
    std::vector<ptrdiff_t> selected;  // heights, colours, shade map and polar table
    std::vector<int32_t> active;
    float time = 0.0f;

    bool operator==(const PassState&) const = default;
};

// The state the show and the framebuffer are in now.
PassState StateOf(const Show& show);

// The parts in which two states differ, for the failure messages.
std::string Differences(const PassState& a, const PassState& b);

// The hash of the frame in PassState: of all four bytes of every pixel.
size_t FrameHashOf(const uint32_t* frame);

// Notes the number and the state of every pass the loop draws.
struct StateRecorder : PassObserver {
    void AfterDraw(uint32_t pass, const Show& show) override {
        passes.push_back(pass);
        states.push_back(StateOf(show));
    }
    std::vector<uint32_t> passes;
    std::vector<PassState> states;
};

// A show built from the generated data with `rows`, its generator seeded with `seed` first,
// drawing on `threads` threads at the best vector level.
std::unique_ptr<Show> BuiltShow(uint32_t seed = 0, std::span<const ScriptRow> rows = BuiltInScript(),
                                uint32_t threads = 1);
