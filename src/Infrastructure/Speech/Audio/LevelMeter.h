#pragma once

#include <atomic>

namespace vocena {

// The smoothed microphone level: per buffer, the root mean square of the first channel, then
// smoothed = smoothed × 0.85 + rms × 0.15. update() runs on the capture thread, level() on
// any thread; neither allocates nor locks.
class LevelMeter {
public:
    // Root mean square of the first channel of `frames` interleaved frames of `channels`
    // samples each (capture delivers mono: channels = 1). 0 for an empty buffer.
    static float rms(const float* samples, int frames, int channels = 1);

    // Folds one buffer into the level and returns the new level.
    float update(const float* samples, int frames, int channels = 1);
    float level() const { return m_smoothed.load(std::memory_order_relaxed); }
    void reset() { m_smoothed.store(0.0f, std::memory_order_relaxed); }

private:
    std::atomic<float> m_smoothed{0.0f};
};

}  // namespace vocena
