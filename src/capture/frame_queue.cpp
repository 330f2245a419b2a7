#include "capture/frame_queue.h"

bool PushFrame(FrameQueue& queue, const uint32_t* pixels, size_t count) {
    std::unique_lock lock(queue.mutex);
    queue.changed.wait(lock, [&] { return queue.stopped || queue.frames.size() < queue.capacity; });
    if (queue.stopped) {
        return false;
    }
    std::vector<uint32_t> buffer;
    if (!queue.spare.empty()) {
        buffer.swap(queue.spare.back());
        queue.spare.pop_back();
    }
    buffer.assign(pixels, pixels + count);
    queue.frames.push_back(std::move(buffer));
    queue.changed.notify_all();
    return true;
}

bool PopFrame(FrameQueue& queue, std::vector<uint32_t>& frame) {
    std::unique_lock lock(queue.mutex);
    queue.changed.wait(lock, [&] { return queue.stopped || queue.closed || !queue.frames.empty(); });
    if (queue.stopped || queue.frames.empty()) {
        return false;
    }
    frame.swap(queue.frames.front());
    if (queue.frames.front().capacity() > 0) {
        queue.spare.push_back(std::move(queue.frames.front()));
    }
    queue.frames.pop_front();
    queue.changed.notify_all();
    return true;
}

void CloseFrameQueue(FrameQueue& queue) {
    std::lock_guard lock(queue.mutex);
    queue.closed = true;
    queue.changed.notify_all();
}

void StopFrameQueue(FrameQueue& queue) {
    std::lock_guard lock(queue.mutex);
    queue.stopped = true;
    queue.changed.notify_all();
}
