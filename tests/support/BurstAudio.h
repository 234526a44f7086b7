#pragma once

#include "Infrastructure/Speech/Audio/AudioSource.h"

#include <cmath>
#include <vector>

namespace vocena::test {

// Speech for the generated energy-triggered model: `count` tone bursts of 90 ms, one every
// 300 ms from 0.35 s on, and the audio ends 60 ms after the last one. The model decodes in
// 300 ms chunks, so the chunk of the last burst is still incomplete when the audio ends: its
// tokens come only from the final decode, with the tail padding.
inline std::vector<float> burstAudio(int count = 5) {
    constexpr int rate = AudioSource::kSampleRate;
    const double end = 0.35 + 0.3 * (count - 1) + 0.09 + 0.06;
    std::vector<float> samples(size_t(end * rate), 0.0f);
    for (int burst = 0; burst < count; ++burst) {
        const size_t from = size_t((0.35 + 0.3 * burst) * rate);
        for (size_t i = 0; i < size_t(0.09 * rate) && from + i < samples.size(); ++i)
            samples[from + i] = float(0.3 * std::sin(2 * M_PI * 440.0 * double(i) / rate));
    }
    return samples;
}

}  // namespace vocena::test
