#include <gtest/gtest.h>

#include <map>

#include "anim/demo_clock.h"
#include "anim/evaluation.h"
#include "app/builtin_script.h"
#include "app/scene_script.h"

namespace {

// The driver's objects, with the scene script registered on them.
class SceneScript : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 12; ++i) {
            AddLayer(layers, BLEND_ADD);
        }
        testing::internal::CaptureStdout();
        RegisterSceneScript(tracks, BuiltInScript(), {landscape, wave, layers});
        printed = testing::internal::GetCapturedStdout();
    }

    // Evaluates every pass of a 60 fps run up to the given time, as the show does.
    void PlayUntil(uint32_t ms) {
        for (;; ++nextPass) {
            uint32_t elapsed = nextPass * 1000 / 60;
            if (elapsed > ms) {
                break;
            }
            demoTime = static_cast<float>(elapsed) / 1000.0f;
            demoTimeTens = static_cast<float>(elapsed) / 10000.0f;
            UpdateVariables(tracks, demoTime);
        }
    }

    void TearDown() override { demoTime = demoTimeTens = 0.0f; }

    const Layer& LayerAt(int index) { return *layers.items[index]; }

    Landscape landscape;
    WaveFilter wave;
    LayerList layers;
    VariableList tracks;
    std::string printed;
    uint32_t nextPass = 0;
};

TEST_F(SceneScript, RegistersAndPrints187TracksOfTheExpectedTypes) {
    ASSERT_EQ(tracks.count, 187);
    std::map<std::string, int> names;
    std::string rest = printed;
    int total = 0;
    for (size_t comma; (comma = rest.find(", ")) != std::string::npos; rest = rest.substr(comma + 2)) {
        ++names[rest.substr(0, comma)];
        ++total;
    }
    EXPECT_EQ(rest, "");  // ends with ", " and no line break
    EXPECT_EQ(total, 187);
    EXPECT_EQ(names["unsigned char"], 140);
    EXPECT_EQ(names["float"], 23);
    EXPECT_EQ(names["short"], 20);
    EXPECT_EQ(names["char"], 3);
    EXPECT_EQ(names["unsigned short"], 1);
    EXPECT_EQ(printed.rfind("float, char, unsigned char, unsigned char, float, ", 0), 0u);
    int clockTracks = 0;
    for (const auto& track : tracks.items) {
        clockTracks += (track->type & CLOCK_DRIVEN) != 0;
    }
    EXPECT_EQ(clockTracks, 10);
}

// Checkpoints of one run through the show, in time order.
TEST_F(SceneScript, StatesAtKnownMoments) {
    PlayUntil(0);  // the first pass switches the show on
    EXPECT_EQ(landscape.enabled, 1);
    EXPECT_EQ(landscape.viewMode, VIEW_PERSPECTIVE);
    EXPECT_EQ(landscape.colourSource, 3);
    EXPECT_EQ(landscape.scaleX, 255.0f);
    EXPECT_EQ(landscape.advanceRate, 150);
    EXPECT_EQ(LayerAt(3).visible, 1);
    EXPECT_EQ(LayerAt(3).amount, 255);
    EXPECT_EQ(wave.enabled, 1);
    EXPECT_EQ(wave.amplitude, 16);
    EXPECT_EQ(wave.frequency, 3.0f);

    PlayUntil(7000);  // the cut
    EXPECT_EQ(landscape.mapOffsetX, 127);
    EXPECT_EQ(landscape.pathPhaseY, 1.5707964f);

    PlayUntil(16000);  // the later rows win
    EXPECT_EQ(LayerAt(2).visible, 0);
    EXPECT_EQ(wave.enabled, 0);
    EXPECT_EQ(LayerAt(4).visible, 1);
    EXPECT_EQ(LayerAt(4).amount, 0);
    EXPECT_EQ(landscape.colourSource, 0);

    PlayUntil(17500);  // the text half faded in
    EXPECT_EQ(LayerAt(4).amount, 128);
    EXPECT_EQ(landscape.pathClockX, 1.75f);  // clock rows write the coarse clock
    EXPECT_EQ(landscape.slopeBiasX, 1);

    PlayUntil(123000);
    EXPECT_EQ(landscape.scaleY, -127.0f);
    EXPECT_EQ(landscape.colourSource, 2);
    EXPECT_EQ(landscape.shadeFlags, 4);
    EXPECT_EQ(landscape.viewMode, VIEW_TUNNEL);
    EXPECT_EQ(landscape.pathFlags, 9);
    EXPECT_EQ(LayerAt(2).visible, 1);
    EXPECT_EQ(LayerAt(2).amount, 255);

    PlayUntil(195990);  // the last row writes only at exactly 196 s
    EXPECT_EQ(LayerAt(3).visible, 1);
    EXPECT_EQ(LayerAt(3).amount, 250);  // last pass before 196 s: 195.983 s
    PlayUntil(196000);
    EXPECT_EQ(LayerAt(3).amount, 255);
    EXPECT_EQ(tracks.items[186]->active, 1);  // span 196 to 197: still waiting to retire
    EXPECT_EQ(landscape.viewMode, VIEW_PERSPECTIVE);
    EXPECT_EQ(landscape.swayAmount, 0);
}

}  // namespace
