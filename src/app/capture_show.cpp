#include "app/capture_show.h"

#include <cstdio>
#include <new>
#include <stdexcept>
#include <string>

#include "app/capture_loader.h"
#include "app/headless_platform.h"
#include "app/seek.h"
#include "app/show.h"
#include "app/show_settings.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"

namespace {

// Hands the captured passes' frames to the encoder and stops the show after the last one,
// or as soon as the encoder has stopped.
struct CaptureFeeder : PassObserver {
    CaptureFeeder(const CaptureModule& module, CaptureSession* session, HeadlessPlatform& platform,
                  const CaptureSpan& span)
        : module(module), session(session), platform(platform), span(span) {}

    void AfterDraw(uint32_t pass, const Show&) override {
        platform.leave =
            !module.submitFrame(session, frameBuffer) || pass + 1 >= span.firstPass + span.frameCount;
    }

    const CaptureModule& module;
    CaptureSession* session;
    HeadlessPlatform& platform;
    CaptureSpan span;
};

// A session that a failing show (a bad data file throws) discards, removing what was written.
struct SessionGuard {
    const CaptureModule& module;
    CaptureSession* session;
    ~SessionGuard() {
        if (session != nullptr) {
            module.discard(session);
        }
    }
};

}  // namespace

int CaptureShow(const Options& options) {
    ShowSettings showSettings = SettingsFor(options);
    const CaptureSettings settings = CaptureSettingsFor(options, showSettings.dataDir);
    // The show starts straight at the first captured pass, through a seek.
    showSettings.startMs = GridPass(settings.span.firstPass, settings.span.fps).elapsedMs;
    std::string failure;
    const CaptureModule* module = LoadCaptureModule(failure);
    if (module == nullptr) {
        std::fprintf(stderr, "voxelshow: %s\n", failure.c_str());
        return 1;
    }
    module->catchInterruptions();
    int status = 0;
    SessionGuard guard{*module, module->start(settings, status)};
    if (guard.session == nullptr) {
        return status;
    }
    if (InfoOf(settings.format).picture) {
        HeadlessPlatform platform;
        FixedStepClock clock(settings.span.fps);
        CaptureFeeder feeder(*module, guard.session, platform, settings.span);
        try {
            RunShow(showSettings, platform, clock, &feeder);
        } catch (const std::bad_alloc&) {
            // The guard removes what was written; the line says which step ran out.
            throw std::runtime_error(settings.path + ": out of memory while drawing the show");
        }
    }
    CaptureSession* session = guard.session;
    guard.session = nullptr;
    return module->finish(session);
}
