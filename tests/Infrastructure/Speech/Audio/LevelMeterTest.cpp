#include "Infrastructure/Speech/Audio/LevelMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using vocena::LevelMeter;

TEST(LevelMeterTest, RmsCoversEverySampleOfTheFirstChannelOnly) {
    EXPECT_EQ(LevelMeter::rms(nullptr, 0), 0.0f);
    // A length that is no multiple of the vector width: the tail counts too.
    std::vector<float> tail(1027, 0.0f);
    tail.back() = std::sqrt(1027.0f);
    EXPECT_FLOAT_EQ(LevelMeter::rms(tail.data(), 1027), 1.0f);
    // Interleaved stereo: left ±0.5, right full scale.
    std::vector<float> stereo;
    for (int frame = 0; frame < 1024; ++frame) stereo.insert(stereo.end(), {frame % 2 ? 0.5f : -0.5f, 1.0f});
    EXPECT_FLOAT_EQ(LevelMeter::rms(stereo.data(), 1024, 2), 0.5f);
    LevelMeter meter;
    EXPECT_FLOAT_EQ(meter.update(stereo.data(), 1024, 2), 0.075f);
}
