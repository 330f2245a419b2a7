#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/present_pacer.h"

namespace {

// A show played on a simulated clock of microseconds: each pass draws for `drawUs(pass)`, waits
// as the pacer says (overshooting by `overshootUs`), then presents at once. The readings at which
// the presents were made.
struct PacedRun {
    uint32_t refreshHz = 60;
    bool presenterWaits = false;
    std::function<uint64_t(int)> drawUs = [](int) { return uint64_t{500}; };
    uint64_t overshootUs = 0;

    std::vector<uint64_t> Run(int passes) {
        PresentPacer pacer;
        pacer.presenterWaits = presenterWaits;
        SetRefreshRate(pacer, refreshHz);
        std::vector<uint64_t> presents;
        uint64_t now = 1000;
        for (int pass = 0; pass < passes; ++pass) {
            now += drawUs(pass);
            const uint64_t wait = MicrosecondsToWait(pacer, now);
            now += wait + (wait > 0 ? overshootUs : 0);
            presents.push_back(now);
            NotePresent(pacer, now);
        }
        return presents;
    }
};

// The most presents within any span of `spanUs` microseconds.
size_t MostPresentsWithin(const std::vector<uint64_t>& presents, uint64_t spanUs) {
    size_t most = 0;
    for (size_t first = 0; first < presents.size(); ++first) {
        const auto end = std::upper_bound(presents.begin(), presents.end(), presents[first] + spanUs);
        most = std::max(most, static_cast<size_t>(end - presents.begin()) - first);
    }
    return most;
}

// A presenter that waits for the refresh itself is paced 1 Hz above the rate the system gives.
TEST(PresentPacer, AFastShowPresentsAtTheRefreshRateEvenWhenWaitsOvershoot) {
    for (const auto& [hz, waits] : {std::pair{60u, false}, {144u, false}, {0u, false}, {59u, true}}) {
        for (const uint64_t overshoot : {uint64_t{0}, uint64_t{1000}}) {  // a timer of whole milliseconds
            SCOPED_TRACE(testing::Message() << hz << " Hz, waits " << overshoot << " us long");
            PacedRun run{hz, waits};
            run.overshootUs = overshoot;
            const std::vector<uint64_t> presents = run.Run(2000);
            const double rate = (hz == 0 ? 60.0 : hz) + (waits ? 1 : 0);  // 0: unknown, 60 taken
            // The rhythm is kept: a long run ends within a period of its schedule.
            const double seconds = static_cast<double>(presents.back() - presents.front()) / 1e6;
            EXPECT_NEAR(1999.0 / seconds, rate, rate * 0.001);
            EXPECT_LE(MostPresentsWithin(presents, 500000), static_cast<size_t>(rate / 2 + 1));
        }
    }
}

// A pass that takes several periods is followed by no burst: the next present waits at least
// half a period, and no half second holds more than the rate allows plus one.
TEST(PresentPacer, ALongPassIsNotMadeUpWithABurst) {
    PacedRun run;
    run.drawUs = [](int pass) { return pass % 50 == 25 ? uint64_t{70000} : uint64_t{300}; };
    const std::vector<uint64_t> presents = run.Run(1000);
    for (size_t i = 1; i < presents.size(); ++i) {
        ASSERT_GE(presents[i] - presents[i - 1], 8333u) << "present " << i;
    }
    EXPECT_LE(MostPresentsWithin(presents, 500000), 31u);
    // A pass a little late (20 ms long, 3.6 ms past its slot) is made up within the rhythm.
    PacedRun late;
    late.drawUs = [](int pass) { return pass == 100 ? uint64_t{20000} : uint64_t{300}; };
    const std::vector<uint64_t> kept = late.Run(200);
    EXPECT_NEAR(static_cast<double>(kept[199] - kept[0]), 199 * 1e6 / 60, 1.0);
}

}  // namespace
