#pragma once
#include "automation.h"
#include "noise.h"
#include "note.h"
#include "stereo_buffer.h"

namespace music {

// What an instrument may read while it plays a note: its lane's filter cutoff over time and the
// lane's noise source.
struct RenderContext {
    const Curve& brightness;
    Noise& noise;
};

// Renders one note into the lane's buffer, adding to what is there.
using RenderNote = void (*)(const Note& note, const RenderContext& context, StereoBuffer& out);

// Drums and effects (drums.cpp).
void RenderKick(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderSnare(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderClap(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderClosedHat(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderOpenHat(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderCrash(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderImpact(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderRiser(const Note& note, const RenderContext& context, StereoBuffer& out);

// Pitched instruments (tonal.cpp).
void RenderBass(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderPad(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderDrone(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderPluck(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderLead(const Note& note, const RenderContext& context, StereoBuffer& out);
void RenderBell(const Note& note, const RenderContext& context, StereoBuffer& out);

// Left and right gains for a position from -1 (left) to 1 (right); 1 and 1 in the centre.
inline void PanGains(float pan, float& left, float& right) {
    left = pan > 0.0f ? 1.0f - pan : 1.0f;
    right = pan < 0.0f ? 1.0f + pan : 1.0f;
}

}  // namespace music
