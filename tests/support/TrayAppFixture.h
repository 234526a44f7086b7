#pragma once

#include "Infrastructure/Platform/Preferences.h"
#include "support/AppDriver.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace vocena::test {

// Tests of `vocena` without arguments, the tray app, as a process of their own (VOCENA_BINARY,
// a definition of the test target), in a fresh temporary home: its log is read as it comes,
// the command line talks to it over this process's session bus, and TearDown kills what is
// still running.
class TrayAppFixture : public ::testing::Test {
protected:
    QTemporaryDir home;
    QProcess app;
    QString log;

    void SetUp() override { prepareEnvironment(home); }
    void TearDown() override {
        if (app.state() != QProcess::NotRunning) {
            app.kill();
            app.waitForFinished();
        }
    }

    void installModel() const { installTestModel(QStringLiteral(VOCENA_BINARY), home.path()); }
    // Starts the app past its first launch (no permission guide while everything is granted,
    // no welcome card taking the focus from the test's field).
    void startApp() {
        Preferences prefs(Preferences::standardPath());
        prefs.setValue(QStringLiteral("com.vocena.firstLaunch"), true);
        prefs.setValue(QStringLiteral("com.vocena.onboarding.welcomeShown"), true);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VOCENA_LOG_LEVEL"), QStringLiteral("debug"));
        app.setProcessEnvironment(env);
        log.clear();
        app.start(QStringLiteral(VOCENA_BINARY), {});
        ASSERT_TRUE(logShows(QStringLiteral("澄言已启动"))) << log.toStdString();
    }
    bool logShows(const QString& text, int timeout = 15000) {
        return waitUntil([&] {
            log += QString::fromUtf8(app.readAllStandardError());
            return log.contains(text);
        }, timeout);
    }
    // A command of the command line against the running app.
    ProcessResult vocena(const QStringList& args) const {
        return runVocena(QStringLiteral(VOCENA_BINARY), home.path(), args, {}, qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"));
    }
};

}  // namespace vocena::test
