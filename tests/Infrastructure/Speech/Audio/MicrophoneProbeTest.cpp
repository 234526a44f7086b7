// Against the private server of scripts/with-pulse (as CTest runs it); skipped without one.
#include "Infrastructure/Speech/Audio/MicrophoneProbe.h"

#include <gtest/gtest.h>

#include <QProcess>

using vocena::MicrophoneProbe;

namespace {

bool setDefaultSource(const QString& name) {
    return QProcess::execute(QStringLiteral("pactl"), {QStringLiteral("set-default-source"), name}) == 0;
}

}  // namespace

TEST(MicrophoneProbeTest, GrantedOnlyWhenTheDefaultSourceIsAnInput) {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) GTEST_SKIP() << "needs a sound server: run under scripts/with-pulse";
    const MicrophoneProbe::Result granted = MicrophoneProbe::check();
    EXPECT_EQ(granted.status, MicrophoneProbe::Status::granted) << granted.detail.toStdString();
    EXPECT_EQ(granted.detail, QStringLiteral("vmic"));

    // A machine without a microphone: the server offers only what its outputs play.
    ASSERT_TRUE(setDefaultSource(QStringLiteral("vsink.monitor")));
    const MicrophoneProbe::Result monitor = MicrophoneProbe::check();
    ASSERT_TRUE(setDefaultSource(QStringLiteral("vmic")));
    EXPECT_EQ(monitor.status, MicrophoneProbe::Status::noSource);
    EXPECT_TRUE(monitor.detail.contains(QStringLiteral("vsink.monitor"))) << monitor.detail.toStdString();
}
