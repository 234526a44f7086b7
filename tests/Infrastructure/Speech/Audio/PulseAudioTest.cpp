// Audio capture, the level meter and the microphone check: against the private server of
// scripts/with-pulse (as CTest runs it; those cases are skipped without one), where an espeak-ng
// utterance played into the null sink comes back through the default source, and without a
// usable sound server (nothing to connect to, or a server that never answers), where capture and
// the check must fail with a reason and never hang the main thread.
#include "Infrastructure/Permissions/OwnThreadCall.h"
#include "Infrastructure/Speech/Audio/LevelMeter.h"
#include "Infrastructure/Speech/Audio/MicrophoneProbe.h"
#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "support/AsyncTest.h"
#include "support/FakeSpeech.h"
#include "support/LogCapture.h"
#include "support/ScopedEnv.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <mutex>

using namespace vocena;
using namespace std::chrono_literals;
using vocena::test::waitUntil;

namespace {

bool setDefaultSource(const QString& name) { return QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("set-default-source"), name}) == 0; }

// The test's phases, with which the capture thread tags the level of each buffer it sees.
enum Phase { silence, speech, stopped };

// Capture covers the speech played into the sink and stops cleanly. The check grants the
// microphone only when the default source is an input; capture from a source that is not there
// fails with the reason.
TEST(PulseAudioCaptureTest, CapturesSpeechPlayedIntoTheSinkFromTheInputThatIsThere) {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) GTEST_SKIP() << "needs a sound server: run under scripts/with-pulse";
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("speech.wav"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("espeak-ng"), {QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("今天天气很好"), QStringLiteral("-w"), wav}), 0);

    std::atomic<int> phase = silence;
    std::mutex mutex;
    std::vector<std::pair<int, float>> seen;  // (phase, level)
    int ends = 0;
    LevelMeter meter;
    // How many buffers of `phase` came with a level above `threshold`.
    const auto count = [&](int of, float threshold = -1.0f) {
        std::lock_guard lock(mutex);
        return std::count_if(seen.begin(), seen.end(), [&](const auto& b) { return b.first == of && b.second > threshold; });
    };
    PulseAudioCapture capture;
    QString error;
    QElapsedTimer running;
    running.start();
    ASSERT_TRUE(capture.start([&](const float* samples, int frames) {
        EXPECT_EQ(frames, AudioSource::kFramesPerBuffer);
        const float level = meter.update(samples, frames);
        std::lock_guard lock(mutex);
        seen.emplace_back(phase, level);
    }, [&] { ++ends; }, &error)) << error.toStdString();

    ASSERT_TRUE(waitUntil([&] { return count(silence) >= 4; }));
    phase = speech;
    ASSERT_EQ(QProcess::execute(QStringLiteral("paplay"), {wav}), 0);
    // The utterance lasts over a second: at least half a second of it comes back loud.
    EXPECT_TRUE(waitUntil([&] { return count(speech, 0.01f) >= 8; }));

    const qint64 capturedMs = running.elapsed();
    capture.stop();
    EXPECT_LT(running.elapsed() - capturedMs, 1000);
    phase = stopped;
    // A second capture from the same source: by its fourth buffer, a stray one of the first would have come.
    PulseAudioCapture marker;
    std::atomic<int> markers = 0;
    ASSERT_TRUE(marker.start([&](const float*, int) { ++markers; }, [] {}, &error)) << error.toStdString();
    ASSERT_TRUE(waitUntil([&] { return markers >= 4; }));
    capture.stop();

    EXPECT_EQ(count(stopped), 0);
    EXPECT_EQ(count(silence, 0.001f), 0);
    EXPECT_EQ(ends, 0) << "a microphone does not run out";
    std::lock_guard lock(mutex);
    // Continuous audio: what was captured covers most of the time it ran (no lost fragments).
    EXPECT_GT(qint64(seen.size()) * AudioSource::kFramesPerBuffer * 1000 / AudioSource::kSampleRate, capturedMs * 8 / 10);

    const MicrophoneProbe::Result granted = MicrophoneProbe::check();
    EXPECT_EQ(granted.status, MicrophoneProbe::Status::granted) << granted.detail.toStdString();
    EXPECT_EQ(granted.detail, QStringLiteral("vmic"));

    // A machine without a microphone: the server offers only what its outputs play.
    ASSERT_TRUE(setDefaultSource(QStringLiteral("vsink.monitor")));
    const MicrophoneProbe::Result monitor = MicrophoneProbe::check();
    ASSERT_TRUE(setDefaultSource(QStringLiteral("vmic")));
    EXPECT_EQ(monitor.status, MicrophoneProbe::Status::noSource);
    EXPECT_TRUE(monitor.detail.contains(QStringLiteral("vsink.monitor"))) << monitor.detail.toStdString();

    const test::ScopedEnv source("PULSE_SOURCE", "unplugged");  // the client's configured source
    PulseAudioCapture unplugged;
    EXPECT_FALSE(unplugged.start([](const float*, int) {}, [] {}, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("没有可用的输入设备: "))) << error.toStdString();
}

// PULSE_SERVER points at a socket in a fresh folder: without a server there, capture and the
// check fail at once. Then a server there is silent: the waits run off the main thread, whose
// timers keep firing, and each wait ends with its time-out.
TEST(PulseAudioConnectionTest, NoServerFailsAtOnceAndASilentOneNeverHoldsUpTheMainThread) {
    QTemporaryDir dir;
    const QString socketPath = dir.filePath(QStringLiteral("native"));
    const test::ScopedEnv server{"PULSE_SERVER", "unix:" + socketPath.toUtf8()};
    PulseAudioCapture capture;
    std::atomic<int> calls = 0;
    QString error;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(capture.start([&](const float*, int) { ++calls; }, [&] { ++calls; }, &error));
    EXPECT_LT(elapsed.elapsed(), 500) << "a refused connection must not wait for the time-out";
    EXPECT_TRUE(error.startsWith(QStringLiteral("没有声音服务器"))) << error.toStdString();
    capture.stop();

    const MicrophoneProbe::Result result = MicrophoneProbe::check();
    EXPECT_EQ(result.status, MicrophoneProbe::Status::noServer);
    EXPECT_TRUE(result.detail.startsWith(QStringLiteral("没有声音服务器"))) << result.detail.toStdString();
    EXPECT_EQ(calls, 0);

    // A server that accepts connections (the kernel queues them) but never reads or answers.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{AF_UNIX, {}};
    qstrncpy(address.sun_path, socketPath.toUtf8().constData(), sizeof address.sun_path);
    ASSERT_TRUE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(fd, 8) == 0);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    auto check = callOnOwnThread<MicrophoneProbe::Result>([] { return MicrophoneProbe::check(300ms); }, 2s);
    EXPECT_EQ(test::await(std::move(check)).value->value_or(MicrophoneProbe::Result{}).detail, QStringLiteral("声音服务器没有响应"));
    EXPECT_GE(ticks, 10) << "the main thread stood still during the microphone check";

    ticks = 0;
    test::FakeRecognitionEngine engine;
    SystemSpeechRecognizer recognizer(&engine, [] { return std::make_unique<PulseAudioCapture>(300ms); });
    test::LogCapture log;
    EXPECT_EQ(test::await(recognizer.startRecognition()).error, QStringLiteral("音频引擎错误"));
    EXPECT_GE(ticks, 10) << "the main thread stood still during the capture start";
    EXPECT_TRUE(log.contains(QStringLiteral("启动语音识别失败: 声音服务器没有响应")));
    EXPECT_FALSE(recognizer.isRecognizing());
    close(fd);
}

}  // namespace
