#include "app/show.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "app/scene_script.h"
#include "platform/frame_stats.h"
#include "render/asset_loader.h"
#include "render/compositor.h"
#include "render/compositor_reference.h"
#include "render/framebuffer.h"
#include "render/landscape_reference.h"
#include "render/random.h"
#include "render/wave_filter_reference.h"

namespace {

constexpr float SHOW_SECONDS = 196.0f;
constexpr const char* MUSIC_FILE = "ostrel&vandt_-_cube.mp3";

const char* const PICTURES[] = {"text1.png", "text2.png", "text3.png", "text4.png",
                                "text5.png", "text6.png", "title.png"};

// Each layer's blend and content: a fill value, or the image at `image` when it is >= 0.
struct LayerRecipe {
    uint8_t blend;
    int image;
    uint32_t fill;
};

constexpr LayerRecipe LAYERS[] = {
    {BLEND_COPY, -1, 0},               // never made visible
    {BLEND_ADD, -1, 0},                // never made visible
    {BLEND_ADD, -1, 0xFFFFFFFF},       // white flash
    {BLEND_SUBTRACT, -1, 0xFFFFFFFF},  // fade to and from black
    {BLEND_ADD, 0, 0},                 // texts 1 to 6
    {BLEND_ADD, 1, 0},
    {BLEND_ADD, 2, 0},
    {BLEND_ADD, 3, 0},
    {BLEND_ADD, 4, 0},
    {BLEND_ADD, 5, 0},
    {BLEND_SUBTRACT, -1, 0xFFFFFFFF},  // second fade to black, above the texts
    {BLEND_ADD, 6, 0},                 // title
};

struct ColourMapRecipe {
    const char* file;
    float gain;
    float exponent;
};

constexpr ColourMapRecipe COLOUR_MAPS[] = {
    {"colormap2", 0.5f, 0.2f},     {"colormap2blue", 0.9f, 0.2f},  {"colormap2b", 1.0f, 0.7f},
    {"colormap2gray", 0.9f, 0.2f}, {"colormap2test", 0.85f, 0.7f}, {"colormap2red", 0.85f, 0.7f},
};

std::string DataFile(const std::string& dataDir, const char* name) {
    return dataDir + "/" + name;
}

void LoadPictures(Show& show, const std::string& dataDir, WorkerPool* pool) {
    std::vector<std::string> paths;
    for (const char* picture : PICTURES) {
        paths.push_back(DataFile(dataDir, picture));
    }
    LoadImageFiles(show.images, paths, pool);
}

void BuildLayers(Show& show) {
    for (const LayerRecipe& recipe : LAYERS) {
        Layer& layer = AddLayer(show.layers, recipe.blend);
        if (recipe.image >= 0) {
            CopyImageToLayer(layer, *show.images.items[recipe.image]);
        } else {
            FillLayer(layer, recipe.fill);
        }
    }
}

void LoadLandscapeMaps(Show& show, const std::string& dataDir) {
    Landscape& landscape = *show.landscape;
    LoadHeightMap(DataFile(dataDir, "heightmap2"), landscape.landHeights.get());
    LoadHeightMap(DataFile(dataDir, "waterheight"), landscape.waterHeights.get());
    for (size_t slot = 0; slot < std::size(COLOUR_MAPS); ++slot) {
        const ColourMapRecipe& recipe = COLOUR_MAPS[slot];
        uint32_t* texels = landscape.colourMaps[slot].get();
        LoadColourMap(DataFile(dataDir, recipe.file), texels);
        ApplyColourCurve(texels, &show.mapSize, recipe.gain, recipe.exponent);
    }
    landscape.activeHeights = landscape.landHeights.get();
    landscape.shadeMap = landscape.landHeights.get();
}

void BuildWaveFilter(WaveFilter& wave) {
    wave.copy = std::make_unique_for_overwrite<uint32_t[]>(FRAME_PIXELS);  // not cleared
    wave.enabled = 0;
    wave.width = FRAME_WIDTH;
    wave.height = FRAME_HEIGHT;
    wave.amplitude = 0;
    wave.phase = 0.0f;
    wave.frequency = 1.0f;
}

template <typename Step>
void RunStep(PassObserver* observer, PassStep step, const Show& show, Step draw) {
    if (observer != nullptr) {
        observer->BeforeStep(step, show);
    }
    draw();
    if (observer != nullptr) {
        observer->AfterStep(step, show);
    }
}

// The three drawing steps of a pass in the version a run asked for.
struct DrawingSteps {
    void (*landscape)(Landscape&);
    void (*layers)(const LayerList&);
    void (*wave)(WaveFilter&);
};

constexpr DrawingSteps FAST_STEPS{RenderLandscape, CompositeLayers, ApplyWave};
constexpr DrawingSteps REFERENCE_STEPS{RenderLandscapeReference, CompositeLayersReference,
                                       ApplyWaveReference};

// Steps 6 to 9 of a pass: tracks, landscape, layers, wave, in this order.
void DrawPass(Show& show, const DrawingSteps& steps, PassObserver* observer) {
    RunStep(observer, PassStep::Tracks, show, [&] { UpdateVariables(show.tracks, demoTime); });
    RunStep(observer, PassStep::Landscape, show, [&] { steps.landscape(*show.landscape); });
    RunStep(observer, PassStep::Layers, show, [&] { steps.layers(show.layers); });
    RunStep(observer, PassStep::Wave, show, [&] { steps.wave(show.wave); });
}

ShowEnd RunLoop(Show& show, const DrawingSteps& steps, Platform& platform, Clock& clock,
                PassObserver* observer) {
    ShowEnd end;
    while (true) {
        platform.HandleOneEvent();
        if (platform.ShouldLeave()) {
            end.leftByRequest = true;
            return end;
        }
        platform.Present(frameBuffer);
        if (SHOW_SECONDS < demoTime) {
            return end;
        }
        DrawPass(show, steps, observer);
        if (observer != nullptr) {
            observer->AfterDraw(end.passesDrawn, show);
        }
        ++end.passesDrawn;
        UpdateFrameTimer(clock);
        UpdateWindowTitle(platform);
    }
}

}  // namespace

std::unique_ptr<Show> BuildShow(const std::string& dataDir, const DrawHardware& hardware) {
    auto show = std::make_unique<Show>();
    LoadPictures(*show, dataDir, hardware.pool);
    BuildLayers(*show);
    show->layers.hardware = hardware;
    show->landscape = std::make_unique<Landscape>(hardware);
    LoadLandscapeMaps(*show, dataDir);
    BuildWaveFilter(show->wave);
    show->wave.hardware = hardware;
    RegisterSceneScript(show->tracks, *show->landscape, show->wave, show->layers);
    std::fputs("\n", stdout);  // end the line of track names, so later output starts on its own line
    return show;
}

ShowEnd RunShow(const ShowSettings& settings, Platform& platform, Clock& clock, PassObserver* observer) {
    SeedRandom(settings.seed);
    ResetFrameStats();
    WorkerPool pool(settings.threads);  // outlives the show, whose effects draw on it
    std::unique_ptr<Show> show = BuildShow(settings.dataDir, DrawHardware{&pool, settings.simd});
    std::fill_n(frameBuffer, FRAME_PIXELS, 0u);  // the first pass presents a black frame
    platform.StartMusic(DataFile(settings.dataDir, MUSIC_FILE).c_str());
    StartFrameTimer(clock);
    ShowEnd end;
    try {
        const DrawingSteps& steps = settings.renderer == Renderer::Reference ? REFERENCE_STEPS : FAST_STEPS;
        end = RunLoop(*show, steps, platform, clock, observer);
    } catch (...) {
        platform.StopMusic();
        throw;
    }
    platform.StopMusic();
    show.reset();
    return end;
}
