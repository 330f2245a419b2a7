#include "app/capture_show.h"

#include "app/frame_file.h"
#include "app/headless_platform.h"
#include "app/seek.h"
#include "app/show.h"
#include "app/show_settings.h"
#include "capture/capture_error.h"
#include "capture/capture_session.h"
#include "capture/interruption.h"
#include "platform/fixed_step_clock.h"
#include "render/framebuffer.h"

namespace {

// Hands the captured passes' frames to the encoder and stops the show after the last one,
// or as soon as the encoder has stopped.
struct CaptureFeeder : PassObserver {
    CaptureFeeder(CaptureSession& capture, HeadlessPlatform& headless)
        : session(capture), platform(headless), span(capture.settings.span) {}

    void AfterDraw(uint32_t pass, const Show&) override {
        platform.leave = !SubmitFrame(session, frameBuffer) || pass + 1 >= span.firstPass + span.frameCount;
    }

    CaptureSession& session;
    HeadlessPlatform& platform;
    CaptureSpan span;
};

}  // namespace

CaptureSettings CaptureSettingsFor(const Options& options, const std::string& dataDir) {
    CaptureSettings settings;
    settings.path = options.capturePath;
    CaptureFormatForName(options.capturePath, settings.format);
    settings.width = options.captureWidth;
    settings.height = options.captureHeight;
    const uint32_t lastPass = LastPassOfShow(options.fps);
    const uint64_t toMs = options.hasTo ? options.toMs : UINT64_MAX / 1000;
    settings.span = SpanBetween(options.fromMs, toMs, lastPass, options.fps);
    if (!options.mute) {
        settings.musicPath = options.musicPath.empty() ? MusicPath(dataDir) : options.musicPath;
    }
    const std::string pattern = options.capturePath;
    settings.frameName = [pattern](uint32_t pass) { return FrameFileName(pattern, pass); };
    return settings;
}

int CaptureShow(const Options& options) {
    ShowSettings showSettings = SettingsFor(options);
    const CaptureSettings settings = CaptureSettingsFor(options, showSettings.dataDir);
    // The show starts straight at the first captured pass, through a seek.
    showSettings.startMs = GridPass(settings.span.firstPass, settings.span.fps).elapsedMs;
    CatchInterruptions();
    CaptureSession session;
    try {
        StartCapture(session, settings);
    } catch (const CaptureError& error) {
        return ReportFailedStart(session, error);
    }
    if (InfoOf(settings.format).picture) {
        HeadlessPlatform platform;
        FixedStepClock clock(settings.span.fps);
        CaptureFeeder feeder(session, platform);
        // A bad data file throws; the session's end removes what was written.
        RunShow(showSettings, platform, clock, &feeder);
    }
    return FinishCapture(session);
}
