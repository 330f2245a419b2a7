#include "channel_strip.h"

namespace music {

const std::vector<ChannelStrip>& ChannelStrips() {
    // lane, instrument, {lowest pitch, alternate pan}, gain dB, pan, reverb, delay, duck, brightness Hz
    static const std::vector<ChannelStrip> strips = {
        {Lane::kick, RenderKick, {}, -13.0f, 0.0f, 0.02f, 0.0f, 0.0f, 0.0f},
        {Lane::snare, RenderSnare, {}, -15.0f, 0.05f, 0.25f, 0.0f, 0.0f, 0.0f},
        {Lane::clap, RenderClap, {}, -15.0f, -0.05f, 0.3f, 0.0f, 0.0f, 0.0f},
        {Lane::hat, RenderClosedHat, {}, -16.0f, 0.25f, 0.05f, 0.0f, 0.0f, 0.0f},
        {Lane::openHat, RenderOpenHat, {}, -19.0f, -0.3f, 0.1f, 0.0f, 0.0f, 0.0f},
        {Lane::crash, RenderCrash, {}, -18.0f, 0.0f, 0.2f, 0.0f, 0.0f, 0.0f},
        {Lane::impact, RenderImpact, {}, -13.0f, 0.0f, 0.3f, 0.0f, 0.0f, 0.0f},
        {Lane::riser, RenderRiser, {}, -19.0f, 0.0f, 0.3f, 0.1f, 0.0f, 0.0f},
        {Lane::bass, RenderBass, {28, 0.0f}, -16.0f, 0.0f, 0.0f, 0.0f, 0.6f, 500.0f},
        {Lane::pad, RenderPad, {55, 0.0f}, -20.0f, 0.0f, 0.35f, 0.0f, 0.45f, 1500.0f},
        {Lane::drone, RenderDrone, {33, 0.0f}, -21.0f, 0.0f, 0.4f, 0.0f, 0.0f, 600.0f},
        {Lane::arp, RenderPluck, {60, 0.45f}, -20.0f, 0.0f, 0.15f, 0.3f, 0.3f, 1500.0f},
        {Lane::lead, RenderLead, {60, 0.0f}, -21.0f, 0.0f, 0.25f, 0.22f, 0.2f, 3000.0f},
        {Lane::bell, RenderBell, {}, -18.0f, 0.1f, 0.45f, 0.35f, 0.0f, 0.0f},
    };
    return strips;
}

}  // namespace music
