#include "app/show.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "portability.h"
#include "render/asset_loader.h"
#include "render/compositor.h"
#include "render/compositor_reference.h"
#include "render/framebuffer.h"
#include "render/landscape_reference.h"
#include "render/wave_filter_reference.h"
#include "script/scene_script.h"
#include "script/script_source.h"

namespace {

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
static_assert(std::size(LAYERS) == LAYER_COUNT, "scripts address the layers by these indices");

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
    return dataDir + PATH_SEPARATOR + name;
}

// A picture becomes a layer as one run of pixels laid over the framebuffer from its first
// pixel on, so one that is not the framebuffer's size comes out sheared: it is drawn so, and
// said so.
void WarnIfNotFrameSized(const std::string& path, const Image& image) {
    if (image.width != FRAME_WIDTH || image.height != FRAME_HEIGHT) {
        std::fflush(stdout);
        std::fprintf(stderr,
                     "voxelshow: %s: picture is %ux%u, not %dx%d; its pixels are drawn as one run from the "
                     "top left\n",
                     path.c_str(), unsigned{image.width}, unsigned{image.height}, FRAME_WIDTH, FRAME_HEIGHT);
    }
}

void LoadPictures(Show& show, const std::string& dataDir, WorkerPool* pool) {
    std::vector<std::string> paths;
    for (const char* picture : PICTURES) {
        paths.push_back(DataFile(dataDir, picture));
    }
    LoadImageFiles(show.images, paths, pool);
    for (size_t i = 0; i < paths.size(); ++i) {
        WarnIfNotFrameSized(paths[i], *show.images.items[i]);
    }
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
    wave.copy = MakeUninitialized<uint32_t[]>(FRAME_PIXELS);  // not cleared
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

constexpr DrawingSteps FAST_STEPS{RenderLandscape, CompositeLayers, ApplyWave};
constexpr DrawingSteps REFERENCE_STEPS{RenderLandscapeReference, CompositeLayersReference,
                                       ApplyWaveReference};

}  // namespace

const DrawingSteps& StepsFor(Renderer renderer) {
    return renderer == Renderer::Reference ? REFERENCE_STEPS : FAST_STEPS;
}

void DrawFrame(Show& show, const DrawingSteps& steps, PassObserver* observer) {
    RunStep(observer, PassStep::Landscape, show, [&] { steps.landscape(*show.landscape); });
    RunStep(observer, PassStep::Layers, show, [&] { steps.layers(show.layers); });
    RunStep(observer, PassStep::Wave, show, [&] { steps.wave(show.wave); });
}

void DrawPass(Show& show, const DrawingSteps& steps, PassObserver* observer) {
    RunStep(observer, PassStep::Tracks, show, [&] { UpdateVariables(show.tracks, demoTime); });
    DrawFrame(show, steps, observer);
}

std::unique_ptr<Show> BuildShow(const std::string& dataDir, std::span<const ScriptRow> script,
                                uint32_t threads, SimdLevel simd) {
    auto show = std::make_unique<Show>();
    show->pool = std::make_unique<WorkerPool>(threads);
    const DrawHardware hardware{show->pool.get(), simd};
    LoadPictures(*show, dataDir, hardware.pool);
    BuildLayers(*show);
    show->layers.hardware = hardware;
    show->landscape = std::make_unique<Landscape>(hardware);
    LoadLandscapeMaps(*show, dataDir);
    BuildWaveFilter(show->wave);
    show->wave.hardware = hardware;
    RegisterSceneScript(show->tracks, script, {*show->landscape, show->wave, show->layers});
    std::fputs("\n", stdout);  // end the line of track names, so later output starts on its own line
    show->startup = CaptureFields(*show);
    return show;
}

std::unique_ptr<Show> BuildShow(const ShowSettings& settings) {
    const std::vector<ScriptRow> script = LoadScript(settings.scriptPath);
    return BuildShow(settings.dataDir, script, settings.threads, settings.simd);
}

std::string MusicPath(const std::string& dataDir) {
    return DataFile(dataDir, MUSIC_FILE);
}
