#include "render/landscape_frame.h"

#include <cstring>

#include "render/float_trig.h"
#include "render/framebuffer.h"
#include "render/truncate.h"

namespace {

uint8_t CameraX(const Landscape& l) {
    const float v = l.pathClockX * l.pathRateX + l.pathPhaseX;
    if (l.pathFlags & PATH_COS_X) {
        return TruncateToByte(CosineOf(v) * l.scaleX);
    }
    return TruncateToByte(v * l.scaleX);
}

// The sine path takes the X rate and phase, the straight path its own.
uint8_t CameraY(const Landscape& l) {
    if (l.pathFlags & PATH_SIN_Y) {
        return TruncateToByte(SineOf(l.pathClockY * l.pathRateX + l.pathPhaseX) * l.scaleY);
    }
    return TruncateToByte((l.pathRateY * l.pathClockY + l.pathPhaseY) * l.scaleY);
}

}  // namespace

void UpdateSlopeBiases(Landscape& l) {
    l.slopeBiasX =
        static_cast<int8_t>(TruncateToByte(CosineOf(l.lightRateX * l.lightClockX) * (l.scaleX * 0.5f)));
    l.slopeBiasY =
        static_cast<int8_t>(TruncateToByte(SineOf(l.lightRateY * l.lightClockY) * (l.scaleY * 0.5f)));
}

FrameBytes ComputeFrameBytes(const Landscape& l) {
    FrameBytes bytes;
    bytes.camX = CameraX(l);
    bytes.camY = CameraY(l);
    bytes.shift = TruncateToByte(l.columnShift * 400.0f);
    const uint8_t forward = TruncateToByte(static_cast<float>(l.advanceRate) * l.advanceClock);
    bytes.back = static_cast<uint8_t>(0 - forward);
    return bytes;
}

void SelectMaps(Landscape& l) {
    if (l.heightSource == 0) {
        l.activeHeights = l.landHeights.get();
    } else if (l.heightSource == 1) {
        l.activeHeights = l.waterHeights.get();
    }
    if (l.colourSource < l.colourMaps.size()) {
        l.activeColours = l.colourMaps[l.colourSource].get();
    }
}

bool MapsReady(const Landscape& l) {
    const bool shadeReady = l.shadeMap != nullptr || !(l.shadeFlags & SHADE_LIGHT);
    return l.activeHeights != nullptr && l.activeColours != nullptr && shadeReady;
}

ViewSetup BeginLandscapeFrame(Landscape& l) {
    UpdateSlopeBiases(l);
    SelectMaps(l);
    if (l.enabled != 1) {
        return {};
    }
    const ViewSetup view = SetUpView(l);
    return MapsReady(l) ? view : ViewSetup{};
}

uint8_t ClearByte(const Landscape& l) {
    return (l.shadeFlags & (SHADE_FADE | SHADE_FILL)) ? l.clearValue : 0;
}

void ClearTarget(const Landscape& l, const ViewSetup& view) {
    const size_t bytes =
        view.target == frameBuffer ? sizeof(frameBuffer) : INTERMEDIATE_PIXELS * sizeof(uint32_t);
    std::memset(view.target, ClearByte(l), bytes);
}
