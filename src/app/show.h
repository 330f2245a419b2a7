#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "anim/track.h"
#include "app/show_fields.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "render/colour_curve.h"
#include "render/image.h"
#include "render/landscape.h"
#include "render/layer.h"
#include "render/wave_filter.h"
#include "render/worker_pool.h"
#include "script/script_row.h"

class ScriptWatch;

// Every object of the show, built once at start-up and kept, unmoved, until shutdown:
// the tracks hold plain pointers into it.
struct Show {
    // The drawing threads; first, so that it goes last, after the effects that draw on it.
    std::unique_ptr<WorkerPool> pool;
    MapSize mapSize;
    ImageList images;
    LayerList layers;
    std::unique_ptr<Landscape> landscape;
    WaveFilter wave;
    VariableList tracks;
    // The objects' fields and the generator right after start-up, which a seek returns to.
    ShowFields startup;

    Show() = default;
    Show(const Show&) = delete;
    Show& operator=(const Show&) = delete;
};

// The last reading of the demo clock at which a pass still draws: the loop leaves on the first
// pass whose clock is past 196 s.
constexpr uint32_t SHOW_END_MS = 196000;

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

// The three drawing steps of a pass in one version.
struct DrawingSteps {
    void (*landscape)(Landscape&);
    void (*layers)(const LayerList&);
    void (*wave)(WaveFilter&);
};

const DrawingSteps& StepsFor(Renderer renderer);

// Steps 7 to 9 of a pass: landscape, layers, wave, each watched by the observer if there is one.
void DrawFrame(Show& show, const DrawingSteps& steps, PassObserver* observer = nullptr);

// Steps 6 to 9 of a pass: the tracks at demoTime, then DrawFrame.
void DrawPass(Show& show, const DrawingSteps& steps, PassObserver* observer = nullptr);

struct ShowSettings {
    std::string dataDir;
    uint32_t seed = 0;
    Renderer renderer = Renderer::Fast;
    uint32_t startMs = 0;              // the show begins at the first pass the clock lands on from here
    uint32_t threads = 1;              // drawing threads, the driver's own included
    SimdLevel simd = BestSimdLevel();  // vector instructions of the fast drawing steps
    std::string scriptPath = "";       // the scene script's file; empty: the built-in script
    std::string musicPath = "";        // the soundtrack; empty: the data folder's music file
    bool reloadScript = false;         // watch the script file and play each good save of it
};

// How the loop ended and how many passes drew a frame.
struct ShowEnd {
    bool leftByRequest = false;  // Escape (or the platform's own request) rather than the clock
    uint32_t passesDrawn = 0;
};

// Loads the pictures, builds the twelve layers, the landscape with its maps, the wave filter
// and the track list with the scene script's rows, hands the effects the threads and vector level
// they draw with (the pool's threads also decode the pictures), and saves the start-up fields, the
// generator's state (as seeded before) included. Throws AssetError for a bad data file.
std::unique_ptr<Show> BuildShow(const std::string& dataDir, std::span<const ScriptRow> script,
                                uint32_t threads = 1, SimdLevel simd = BestSimdLevel());

// The show of a run: the objects from its data folder, the tracks from its script file or the
// built-in script, drawn on the run's threads and vector level. The script is read first: a
// script with an error throws std::runtime_error ("FILE:LINE: reason") before any data file is
// read.
std::unique_ptr<Show> BuildShow(const ShowSettings& settings);

// The music file in the data directory.
std::string MusicPath(const std::string& dataDir);

// Plays the show through the platform: start-up after the window, the loop until Escape or
// past 196 seconds of the clock, then shutdown. With settings.reloadScript, the script file is
// watched and each save of it played at the moment the show is at. Throws AssetError, or
// std::runtime_error for a script file with an error, before anything is drawn.
ShowEnd RunShow(const ShowSettings& settings, Platform& platform, Clock& clock,
                PassObserver* observer = nullptr);

// The part of RunShow after start-up, on a show built (and seeded) already: from its start-up
// state, or brought to the pass at settings.startMs, the music and the clock started there; the
// loop with the viewer's pauses and jumps, and with each good save of the script that `watch`
// reports played at once; the music stopped. The observer sees the passes drawn numbered on the
// clock's grid.
ShowEnd PlayBuiltShow(Show& show, const ShowSettings& settings, Platform& platform, Clock& clock,
                      PassObserver* observer = nullptr, ScriptWatch* watch = nullptr);
