#include "capture/capture_session.h"

#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "capture/capture_error.h"
#include "files/interruption.h"
#include "render/framebuffer.h"

namespace {

// The encoder thread: picture and sound frame by frame, then the files' ends.
void EncodeFrames(CaptureSession& session) {
    const bool picture = InfoOf(session.settings.format).picture;
    const uint32_t total = session.settings.span.frameCount;
    std::vector<uint32_t> frame;
    try {
        for (uint32_t done = 0; done < total; ++done) {
            if (InterruptingSignal() != 0) {
                break;
            }
            if (picture && !PopFrame(session.queue, frame)) {
                if (InterruptingSignal() == 0) {
                    throw CaptureError(session.settings.path + ": the show ended after " +
                                       std::to_string(done) + " of " + std::to_string(total) + " frames");
                }
                break;
            }
            if (picture) {
                session.writer->WritePicture(frame.data());
            }
            session.writer->WriteSoundUntil(done + 1);
            session.framesDone = done + 1;
            UpdateProgress(session.progress, done + 1);
        }
        if (InterruptingSignal() == 0) {
            session.writer->Finish();
        }
    } catch (const CaptureError& failure) {
        session.error = failure.what();
    } catch (const std::bad_alloc&) {
        session.error = session.settings.path + ": out of memory while encoding";
    }
    StopFrameQueue(session.queue);
}

void StopEncoder(CaptureSession& session) {
    CloseFrameQueue(session.queue);
    if (session.encoder.joinable()) {
        session.encoder.join();
    }
}

void Release(CaptureSession& session) {
    if (session.writer != nullptr) {
        session.writer->Discard();
        session.writer.reset();
    }
    if (session.musicOpen) {
        CloseMusicSource(session.music);
        session.musicOpen = false;
    }
}

int Fail(CaptureSession& session, const std::string& line, int status) {
    Release(session);
    EndProgress(session.progress);
    std::fflush(stdout);
    std::fprintf(stderr, "voxelshow: %s\n", line.c_str());
    return status;
}

// A signal wins over the failure it may have caused (the libraries' I/O gives up on it).
int FailInterrupted(CaptureSession& session) {
    const int signal = InterruptingSignal();
    return Fail(
        session,
        session.settings.path + ": interrupted by " + SignalName(signal) + "; the unfinished file is removed",
        128 + signal);
}

}  // namespace

CaptureSession::~CaptureSession() {
    AbortCapture(*this);
}

void StartCapture(CaptureSession& session, const CaptureSettings& settings) {
    session.settings = settings;
    if (settings.span.frameCount == 0) {
        // Nothing would be written but an empty file, in place of one that may hold a show.
        throw CaptureError(settings.path + ": no pass of the show lies in the span; nothing is written");
    }
    if (!settings.musicPath.empty() && InfoOf(settings.format).sound) {
        OpenMusicSource(session.music, settings.musicPath);
        session.musicOpen = true;
    }
    session.writer = OpenCaptureWriter(settings, session.musicOpen ? &session.music : nullptr);
    StartProgress(session.progress, settings.span.frameCount, settings.span.fps);
    UpdateProgress(session.progress, 0);
    session.encoder = std::thread(EncodeFrames, std::ref(session));
}

bool SubmitFrame(CaptureSession& session, const uint32_t* pixels) {
    return InterruptingSignal() == 0 && PushFrame(session.queue, pixels, FRAME_PIXELS);
}

int FinishCapture(CaptureSession& session) {
    StopEncoder(session);
    if (InterruptingSignal() != 0) {
        return FailInterrupted(session);
    }
    if (!session.error.empty()) {
        return Fail(session, session.error, 1);
    }
    try {
        session.writer->Commit();
    } catch (const CaptureError& failure) {
        return Fail(session, failure.what(), 1);
    }
    const int64_t bytes = session.writer->BytesWritten();
    Release(session);
    EndProgress(session.progress);
    std::string summary = SummaryLine(session.settings.path, session.framesDone, session.settings.span.fps,
                                      bytes, SecondsSinceStart(session.progress));
    if (session.settings.format == CaptureFormat::PictureSequence) {
        // The number in the first frame's name, for a tool that reads the sequence back from it.
        summary += ", first frame " + std::to_string(session.settings.span.firstPass);
    }
    std::printf("%s\n", summary.c_str());
    return 0;
}

int ReportFailedStart(CaptureSession& session, const CaptureError& error) {
    return InterruptingSignal() != 0 ? FailInterrupted(session) : Fail(session, error.what(), 1);
}

void AbortCapture(CaptureSession& session) {
    StopFrameQueue(session.queue);
    StopEncoder(session);
    Release(session);
    EndProgress(session.progress);
}
