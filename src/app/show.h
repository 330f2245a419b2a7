#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "anim/track.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "render/colour_curve.h"
#include "render/image.h"
#include "render/landscape.h"
#include "render/layer.h"
#include "render/wave_filter.h"

// Every object of the show, built once at start-up and kept, unmoved, until shutdown:
// the tracks hold plain pointers into it.
struct Show {
    MapSize mapSize;
    ImageList images;
    LayerList layers;
    std::unique_ptr<Landscape> landscape;
    WaveFilter wave;
    VariableList tracks;

    Show() = default;
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;
};

// The four drawing steps of a pass, in order.
enum class PassStep { Tracks, Landscape, Layers, Wave };

// Watches the loop from outside: the headless modes time the steps and write frames.
struct PassObserver {
    virtual ~PassObserver() = default;
    virtual void BeforeStep(PassStep, const Show&) {}
    virtual void AfterStep(PassStep, const Show&) {}
    // Called after the wave filter of pass `pass` (counted from 0), before the timer update.
    virtual void AfterDraw(uint32_t, const Show&) {}
};

// Which version of the drawing steps a run uses: the fast ones the show plays with, or the
// straightforward reference versions that the fast ones must equal bit for bit.
enum class Renderer { Fast, Reference };

struct ShowSettings {
    std::string dataDir;
    uint32_t seed = 0;
    Renderer renderer = Renderer::Fast;
    uint32_t threads = 1;              // drawing threads, the driver's own included
    SimdLevel simd = BestSimdLevel();  // vector instructions of the fast drawing steps
};

// How the loop ended and how many passes drew a frame.
struct ShowEnd {
    bool leftByRequest = false;  // Escape (or the platform's own request) rather than the clock
    uint32_t passesDrawn = 0;
};

// Loads the pictures, builds the twelve layers, the landscape with its maps, the wave filter
// and the track list with the scene script, and hands the effects the hardware they draw on
// (whose pool also decodes the pictures). Throws AssetError for a bad data file.
std::unique_ptr<Show> BuildShow(const std::string& dataDir, const DrawHardware& hardware);

// Plays the show through the platform: start-up after the window, the loop until Escape or
// past 196 seconds of the clock, then shutdown. Throws AssetError before anything is drawn.
ShowEnd RunShow(const ShowSettings& settings, Platform& platform, Clock& clock,
                PassObserver* observer = nullptr);
