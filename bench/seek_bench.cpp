// Seeks of the built show to a pass, with scripts up to the largest one allowed (65535 rows),
// the fast track replay against the reference one that evaluates every track at every pass.
// Run: build/bench/seek_bench [--benchmark_filter=Fast]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include "app/script_reload.h"
#include "app/seek.h"
#include "app/show.h"
#include "script/builtin_script.h"
#include "script/scene_script.h"
#include "support/generated_script.h"

namespace {

// The show from the generated data with the built-in script, or with a generated one of `rows`
// rows (0: the built-in one), drawing on one thread.
std::unique_ptr<Show> ShowWith(size_t rows) {
    std::unique_ptr<Show> show = BuildShow(VOXELSHOW_DATA_DIR, {});
    const std::vector<ScriptRow> script = rows == 0 ? BuiltInScript() : GeneratedScript(20, rows);
    RegisterSceneScript(show->tracks, script, {*show->landscape, show->wave, show->layers}, TypeNames::Quiet);
    return show;
}

// Seeks to the show's last pass at 60 passes a second, the farthest one, every iteration.
void SeekToTheEnd(benchmark::State& state, TrackReplayMode mode) {
    std::unique_ptr<Show> show = ShowWith(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        SeekShow(*show, StepsFor(Renderer::Fast), GridPass(LastPassOfShow(60), 60), mode);
    }
    state.counters["tracks"] = show->tracks.count;
}

// Seeks to passes all over the show, as the viewer's jumps do.
void SeekAnywhere(benchmark::State& state) {
    std::unique_ptr<Show> show = ShowWith(static_cast<size_t>(state.range(0)));
    std::mt19937 random(7);
    for (auto _ : state) {
        SeekShow(*show, StepsFor(Renderer::Fast), GridPass(random() % (LastPassOfShow(60) + 1), 60));
    }
}

// What the loop does on the main thread when a save of the script arrives, read and checked on
// the watch's thread: the rows registered in place of the tracks, and the seek to the moment
// shown (here 125 s). The keys wait this long. The script is the built-in one over and over, up
// to `rows` rows, so that the landscape draws at every pass as in the show and the seek draws the
// one pass.
void Reload(benchmark::State& state) {
    std::unique_ptr<Show> show = ShowWith(0);
    const std::vector<ScriptRow> builtIn = BuiltInScript();
    std::vector<ScriptRow> rows;
    for (size_t i = 0; i < static_cast<size_t>(state.range(0)); ++i) {
        rows.push_back(builtIn[i % builtIn.size()]);
    }
    for (auto _ : state) {
        SwitchScript(*show, rows, StepsFor(Renderer::Fast), {125000, 60});
    }
}

void Fast(benchmark::State& state) {
    SeekToTheEnd(state, TrackReplayMode::Fast);
}

void Reference(benchmark::State& state) {
    SeekToTheEnd(state, TrackReplayMode::Reference);
}

BENCHMARK(Fast)->Arg(0)->Arg(2000)->Arg(20000)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK(Reload)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK(SeekAnywhere)->Arg(0)->Arg(65535)->Unit(benchmark::kMillisecond);
// Seconds a seek at the larger sizes: once is enough to see the growth.
BENCHMARK(Reference)->Arg(0)->Arg(2000)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
