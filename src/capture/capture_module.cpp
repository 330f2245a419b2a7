#include "capture/capture_module.h"

#include <memory>
#include <new>

#include "capture/capture_session.h"
#include "files/interruption.h"

namespace {

CaptureSession* Start(const CaptureSettings& settings, int& status) {
    auto session = std::make_unique<CaptureSession>();
    try {
        StartCapture(*session, settings);
    } catch (const CaptureError& error) {
        status = ReportFailedStart(*session, error);
        return nullptr;
    } catch (const std::bad_alloc&) {
        status = ReportFailedStart(*session,
                                   CaptureError(settings.path + ": out of memory while opening the file"));
        return nullptr;
    }
    status = 0;
    return session.release();
}

bool Submit(CaptureSession* session, const uint32_t* pixels) {
    return SubmitFrame(*session, pixels);
}

int Finish(CaptureSession* session) {
    const std::unique_ptr<CaptureSession> owned(session);
    return FinishCapture(*owned);
}

void Discard(CaptureSession* session) {
    delete session;  // its end stops the encoder and removes what was written
}

constexpr CaptureModule MODULE{CatchInterruptions, Start, Submit, Finish, Discard};

}  // namespace

extern "C" CAPTURE_MODULE_EXPORT const CaptureModule* VoxelshowCaptureModule() {
    return &MODULE;
}
