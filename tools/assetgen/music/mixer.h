#pragma once
#include "arrangement.h"
#include "stereo_buffer.h"

namespace music {

// Plays every lane of the arrangement through its channel strip, adds the echo and the reverb
// and applies the master level ramps. The result is the whole piece before limiting.
StereoBuffer MixPiece(const Arrangement& arrangement);

}  // namespace music
