// Capture from the private server of scripts/with-pulse (as CTest runs it): an espeak-ng
// utterance played into the null sink comes back through the default source. Skipped
// without a server.
#include "Infrastructure/Speech/Audio/LevelMeter.h"
#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"
#include "support/ScopedEnv.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

using namespace vocena;
using vocena::test::waitUntil;

namespace {

// What the capture thread saw, tagged with the test's phase at the time.
enum Phase { silence, speech, stopped };

struct Capture {
    std::atomic<int> phase = silence;
    std::mutex mutex;
    std::vector<int> frames;
    std::vector<float> levels[2];  // by phase: silence, speech
    int callsAfterStop = 0;
    int ends = 0;
    LevelMeter meter;

    void onBuffer(const float* samples, int count) {
        const float level = meter.update(samples, count);
        std::lock_guard lock(mutex);
        if (phase == stopped) ++callsAfterStop;
        else levels[phase].push_back(level);
        frames.push_back(count);
    }

    // How many buffers of `phase` came with a level above `threshold`.
    qsizetype count(Phase phase, float threshold = -1.0f) {
        std::lock_guard lock(mutex);
        return std::count_if(levels[phase].begin(), levels[phase].end(), [&](float level) { return level > threshold; });
    }
};

float maximum(const std::vector<float>& values) { return values.empty() ? 0.0f : *std::max_element(values.begin(), values.end()); }

}  // namespace

TEST(PulseAudioCaptureTest, CapturesSpeechPlayedIntoTheSinkAndStopsCleanly) {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) GTEST_SKIP() << "needs a sound server: run under scripts/with-pulse";
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("speech.wav"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("espeak-ng"), {QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("今天天气很好"), QStringLiteral("-w"), wav}), 0);

    Capture seen;
    PulseAudioCapture capture;
    QString error;
    QElapsedTimer running;
    running.start();
    ASSERT_TRUE(capture.start([&](const float* samples, int count) { seen.onBuffer(samples, count); }, [&] { ++seen.ends; }, &error))
        << error.toStdString();
    EXPECT_EQ(capture.formatDescription(), QStringLiteral("16000 Hz, 1 ch, float32 (PulseAudio: vmic)"));

    ASSERT_TRUE(waitUntil([&] { return seen.count(silence) >= 4; }));
    seen.phase = speech;
    ASSERT_EQ(QProcess::execute(QStringLiteral("paplay"), {wav}), 0);
    // The utterance lasts over a second: at least half a second of it comes back loud.
    EXPECT_TRUE(waitUntil([&] { return seen.count(speech, 0.01f) >= 8; }));

    QElapsedTimer stopping;
    stopping.start();
    capture.stop();
    EXPECT_LT(stopping.elapsed(), 1000);
    const qint64 capturedMs = running.elapsed();
    seen.phase = stopped;
    QThread::msleep(200);
    capture.stop();

    std::lock_guard lock(seen.mutex);
    EXPECT_EQ(seen.callsAfterStop, 0);
    EXPECT_EQ(seen.ends, 0) << "a microphone does not run out";
    EXPECT_TRUE(std::all_of(seen.frames.begin(), seen.frames.end(), [](int n) { return n == AudioSource::kFramesPerBuffer; }));
    // Continuous audio: what was captured covers most of the time it ran (no lost fragments).
    EXPECT_GT(qint64(seen.frames.size()) * AudioSource::kFramesPerBuffer * 1000 / AudioSource::kSampleRate, capturedMs * 8 / 10);
    EXPECT_LT(maximum(seen.levels[silence]), 0.001f);
}

TEST(PulseAudioCaptureTest, MissingSourceFailsWithReason) {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) GTEST_SKIP() << "needs a sound server: run under scripts/with-pulse";
    const vocena::test::ScopedEnv source("PULSE_SOURCE", "unplugged");  // the client's configured source
    PulseAudioCapture capture;
    QString error;
    EXPECT_FALSE(capture.start([](const float*, int) {}, [] {}, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("没有可用的输入设备: "))) << error.toStdString();
}
