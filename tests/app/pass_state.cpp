#include "pass_state.h"

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "anim/demo_clock.h"
#include "render/framebuffer.h"
#include "render/random.h"

std::string Differences(const PassState& a, const PassState& b) {
    std::string parts;
    const std::pair<bool, const char*> checks[] = {
        {a.frame != b.frame, " frame"},
        {!(a.fields.landscape == b.fields.landscape), " landscape"},
        {!(a.fields.wave == b.fields.wave), " wave"},
        {a.fields.layers != b.fields.layers, " layers"},
        {a.fields.random != b.fields.random, " generator"},
        {a.selected != b.selected, " maps"},
        {a.active != b.active, " tracks"},
        {a.time != b.time, " clock"},
    };
    for (const auto& [differs, name] : checks) {
        parts += differs ? name : "";
    }
    return parts;
}

size_t FrameHashOf(const uint32_t* frame) {
    return std::hash<std::string_view>{}(
        std::string_view(reinterpret_cast<const char*>(frame), FRAME_PIXELS * sizeof(uint32_t)));
}

PassState StateOf(const Show& show) {
    PassState state;
    state.frame = FrameHashOf(frameBuffer);
    state.fields = CaptureFields(show);
    LandscapeFields& land = state.fields.landscape;
    const Landscape& own = *show.landscape;
    const auto index = [](const auto* pointer, std::initializer_list<const void*> buffers) {
        return std::find(buffers.begin(), buffers.end(), pointer) - buffers.begin();
    };
    const auto& maps = own.colourMaps;
    state.selected = {index(land.activeHeights, {own.landHeights.get(), own.waterHeights.get()}),
                      index(land.activeColours, {maps[0].get(), maps[1].get(), maps[2].get(), maps[3].get(),
                                                 maps[4].get(), maps[5].get()}),
                      index(land.shadeMap, {own.landHeights.get(), own.waterHeights.get()}),
                      index(land.activeTable, {nullptr, &own.tunnelTable, &own.radialTable})};
    land.activeHeights = land.shadeMap = nullptr;
    land.activeColours = nullptr;
    land.activeTable = nullptr;
    land.light = 0.0f;
    for (const auto& track : show.tracks.items) {
        state.active.push_back(track->active);
    }
    state.time = demoTime;
    return state;
}

std::unique_ptr<Show> BuiltShow(uint32_t seed, std::span<const ScriptRow> rows, uint32_t threads) {
    SeedRandom(seed);
    testing::internal::CaptureStdout();
    std::unique_ptr<Show> show = BuildShow(VOXELSHOW_DATA_DIR, rows, threads);
    testing::internal::GetCapturedStdout();
    return show;
}
