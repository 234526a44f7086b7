// Without a usable sound server: nothing to connect to, or a server that never answers.
// Capture and the microphone check must fail with a reason, and never hang.
#include "Infrastructure/Speech/MicrophoneProbe.h"
#include "Infrastructure/Speech/PulseAudioCapture.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>

using namespace vocena;
using namespace std::chrono_literals;

namespace {

// Points PULSE_SERVER at a socket in a fresh folder for the test's duration.
class PulseAudioConnectionTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString socketPath = dir.filePath(QStringLiteral("native"));
    const QByteArray previous = qgetenv("PULSE_SERVER");

    void SetUp() override { qputenv("PULSE_SERVER", "unix:" + socketPath.toUtf8()); }
    void TearDown() override { previous.isNull() ? qunsetenv("PULSE_SERVER") : qputenv("PULSE_SERVER", previous); }

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

TEST_F(PulseAudioConnectionTest, ServerThatNeverAnswersCostsOnlyTheTimeOut) {
    const int fd = listenSilently();
    QElapsedTimer timer;
    timer.start();
    const MicrophoneProbe::Result result = MicrophoneProbe::check(200ms);
    EXPECT_EQ(result.status, MicrophoneProbe::Status::noServer);
    EXPECT_EQ(result.detail, QStringLiteral("声音服务器没有响应"));

    PulseAudioCapture capture(200ms);
    QString error;
    EXPECT_FALSE(capture.start([](const float*, int) {}, [] {}, &error));
    EXPECT_EQ(error, QStringLiteral("声音服务器没有响应"));
    EXPECT_LT(timer.elapsed(), 2000);
    close(fd);
}

}  // namespace
