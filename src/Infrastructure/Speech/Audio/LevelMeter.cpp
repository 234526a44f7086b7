#include "Infrastructure/Speech/Audio/LevelMeter.h"

#include <cmath>

namespace vocena {

namespace {

// Sum of squares of a contiguous run. Eight independent partial sums let the compiler keep
// them in vector registers without reassociating a single floating-point sum.
float sumOfSquares(const float* samples, int count) {
    constexpr int kLanes = 8;
    float partial[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
        for (int lane = 0; lane < kLanes; ++lane) partial[lane] += samples[i + lane] * samples[i + lane];
    float sum = 0.0f;
    for (float p : partial) sum += p;
    for (; i < count; ++i) sum += samples[i] * samples[i];
    return sum;
}

}  // namespace

float LevelMeter::rms(const float* samples, int frames, int channels) {
    if (frames <= 0 || channels <= 0) return 0.0f;
    float sum = 0.0f;
    if (channels == 1) {
        sum = sumOfSquares(samples, frames);
    } else {
        for (int frame = 0; frame < frames; ++frame) {
            const float sample = samples[frame * channels];
            sum += sample * sample;
        }
    }
    return std::sqrt(sum / float(frames));
}

float LevelMeter::update(const float* samples, int frames, int channels) {
    // One writer (the capture thread): a plain load and store are enough.
    const float smoothed = level() * 0.85f + rms(samples, frames, channels) * 0.15f;
    m_smoothed.store(smoothed, std::memory_order_relaxed);
    return smoothed;
}

}  // namespace vocena
