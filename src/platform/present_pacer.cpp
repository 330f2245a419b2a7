#include "platform/present_pacer.h"

#include <algorithm>
#include <cmath>

void SetRefreshRate(PresentPacer& pacer, uint32_t refreshHz) {
    const uint32_t given = refreshHz == 0 ? DEFAULT_REFRESH_HZ : refreshHz;
    pacer.periodUs = 1e6 / static_cast<double>(given + (pacer.presenterWaits ? 1 : 0));
}

uint64_t MicrosecondsToWait(const PresentPacer& pacer, uint64_t nowUs) {
    const double now = static_cast<double>(nowUs);
    if (!pacer.started || now >= pacer.nextUs) {
        return 0;
    }
    return static_cast<uint64_t>(std::ceil(pacer.nextUs - now));
}

void NotePresent(PresentPacer& pacer, uint64_t nowUs) {
    const double now = static_cast<double>(nowUs);
    const double earliest = now + pacer.periodUs / 2;
    pacer.nextUs = pacer.started ? std::max(pacer.nextUs + pacer.periodUs, earliest) : now + pacer.periodUs;
    pacer.started = true;
}
