// Without a usable sound server: nothing to connect to, or a server that never answers.
// Capture and the microphone check must fail with a reason, and never hang the main thread.
#include "Infrastructure/Permissions/OwnThreadCall.h"
#include "Infrastructure/Speech/Audio/MicrophoneProbe.h"
#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "support/AsyncTest.h"
#include "support/FakeSpeech.h"
#include "support/LogCapture.h"
#include "support/ScopedEnv.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>

using namespace vocena;
using namespace std::chrono_literals;

namespace {

// Points PULSE_SERVER at a socket in a fresh folder for the test's duration.
class PulseAudioConnectionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString socketPath = dir.filePath(QStringLiteral("native"));
    const test::ScopedEnv server{"PULSE_SERVER", "unix:" + socketPath.toUtf8()};

    // A server that accepts connections (the kernel queues them) but never reads or answers.
    int listenSilently() {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, socketPath.toUtf8().constData(), sizeof address.sun_path);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0) ADD_FAILURE() << "cannot listen";
        return fd;
    }
};

TEST_F(PulseAudioConnectionTest, WithoutServerCaptureAndCheckFailAtOnce) {
    PulseAudioCapture capture;
    std::atomic<int> calls = 0;
    QString error;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(capture.start([&](const float*, int) { ++calls; }, [&] { ++calls; }, &error));
    EXPECT_LT(timer.elapsed(), 500) << "a refused connection must not wait for the time-out";
    EXPECT_TRUE(error.startsWith(QStringLiteral("没有声音服务器"))) << error.toStdString();
    capture.stop();

    const MicrophoneProbe::Result result = MicrophoneProbe::check();
    EXPECT_EQ(result.status, MicrophoneProbe::Status::noServer);
    EXPECT_TRUE(result.detail.startsWith(QStringLiteral("没有声音服务器"))) << result.detail.toStdString();
    EXPECT_EQ(calls, 0);
}

// The waits run off the main thread: its timers keep firing while the server is silent, and
// each wait ends with its time-out.
TEST_F(PulseAudioConnectionTest, ASilentServerNeverHoldsUpTheMainThread) {
    const int fd = listenSilently();
    test::FakeRecognitionEngine engine;
    SystemSpeechRecognizer recognizer(&engine, [] { return std::make_unique<PulseAudioCapture>(300ms); });
    struct Case {
        const char* name;
        std::function<QString()> run;  // the failure seen
        QString failure;
        QString logged;
    };
    const QList<Case> cases{
        {"the microphone check",
         [] {
             auto check = callOnOwnThread<MicrophoneProbe::Result>([] { return MicrophoneProbe::check(300ms); }, 2s);
             return test::await(std::move(check)).value->value_or(MicrophoneProbe::Result{}).detail;
         },
         QStringLiteral("声音服务器没有响应"), {}},
        {"the capture start", [&] { return test::await(recognizer.startRecognition()).error; }, QStringLiteral("音频引擎错误"),
         QStringLiteral("启动语音识别失败: 声音服务器没有响应")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int ticks = 0;
        QTimer timer;
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start();
        test::LogCapture log;
        EXPECT_EQ(c.run(), c.failure);
        EXPECT_GE(ticks, 10) << "the main thread stood still while the server was silent";
        if (!c.logged.isEmpty()) {
            EXPECT_TRUE(log.contains(c.logged));
        }
    }
    EXPECT_FALSE(recognizer.isRecognizing());
    close(fd);
}

}  // namespace
