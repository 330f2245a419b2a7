#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

// A bounded queue of whole frames from the thread that draws them to the thread that
// encodes them. Buffers are reused, so a steady capture allocates nothing per frame.
struct FrameQueue {
    size_t capacity = 8;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::vector<uint32_t>> frames;
    std::vector<std::vector<uint32_t>> spare;
    bool closed = false;   // the drawing side has given its last frame
    bool stopped = false;  // the encoding side takes no more frames
};

// Copies `count` pixels in, waiting while the queue is full. False once the queue is stopped.
bool PushFrame(FrameQueue& queue, const uint32_t* pixels, size_t count);
// Takes the oldest frame into `frame` (whose old buffer the queue keeps for reuse), waiting
// while the queue is empty. False when it is closed and empty, or stopped.
bool PopFrame(FrameQueue& queue, std::vector<uint32_t>& frame);
void CloseFrameQueue(FrameQueue& queue);
void StopFrameQueue(FrameQueue& queue);
