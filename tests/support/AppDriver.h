#pragma once

#include "Infrastructure/Platform/Preferences.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace vocena::test {

// Tests of the built `vocena` (VOCENA_BINARY, a definition of the test target) driven from
// outside as its user would, with HOME and the XDG folders in a fresh temporary home. `run` waits
// for a command; `start` keeps one running (the tray app, `vocena listen`) with its log read as
// it comes, killed at the end if still running.
class AppDriver : public ::testing::Test {
protected:
    QTemporaryDir home;
    QString bus = QStringLiteral("disabled:");  // the commands' session bus: none (the file secret store)
    QStringList env;                             // changes for the commands: "NAME=VALUE", or "NAME" to unset
    QProcess app;
    QString log;

    void TearDown() override {
        if (app.state() == QProcess::NotRunning) return;
        app.kill();
        app.waitForFinished();
    }
    static QString sessionBus() { return qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"); }

    // This process's environment with the home and the bus, without proxies, log settings or an
    // input method.
    QProcessEnvironment environment(const QStringList& more = {}) const {
        QProcessEnvironment result = QProcessEnvironment::systemEnvironment();
        result.insert(QStringLiteral("HOME"), home.path());
        result.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        result.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        result.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        for (const char* name : {"http_proxy", "https_proxy", "VOCENA_LOG_LEVEL", "VOCENA_LOG_PRIVATE", "QT_IM_MODULE"})
            result.remove(QString::fromLatin1(name));
        for (const QString& change : env + more) {
            const qsizetype equals = change.indexOf(QLatin1Char('='));
            equals < 0 ? result.remove(change) : result.insert(change.left(equals), change.mid(equals + 1));
        }
        return result;
    }
    ProcessResult run(const QStringList& args, const QByteArray& input = {}) const {
        return runProcess(QStringLiteral(VOCENA_BINARY), args, input, environment().toStringList(), 30000);
    }
    void install(const QString& folder) const {
        const ProcessResult installed = run({QStringLiteral("model"), QStringLiteral("install"), folder});
        ASSERT_EQ(installed.exitCode, 0) << installed.err.toStdString();
    }

    void start(const QStringList& args, const QStringList& more = {}) {
        app.setProcessEnvironment(environment(more));
        log.clear();
        app.start(QStringLiteral(VOCENA_BINARY), args);
    }
    bool logShows(const QString& text, int timeout = 15000) {
        return waitUntil([&] {
            log += QString::fromUtf8(app.readAllStandardError());
            return log.contains(text);
        }, timeout);
    }
    // Whether the started process ended in time with `code`.
    ::testing::AssertionResult ends(int code = 0, int timeout = 20000) {
        if (!waitUntil([&] { return app.state() == QProcess::NotRunning; }, timeout))
            return ::testing::AssertionFailure() << "still running\n" << log.toStdString();
        log += QString::fromUtf8(app.readAllStandardError());
        if (app.exitStatus() == QProcess::NormalExit && app.exitCode() == code) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "exit " << app.exitCode() << "\n" << log.toStdString();
    }

    // The tray app past its first launch (no permission guide while everything is granted, no
    // welcome card taking the focus from the test's field), on this process's session bus; this
    // process moves into the home too.
    void startApp() {
        prepareEnvironment(home);
        bus = sessionBus();
        Preferences prefs(Preferences::standardPath());
        prefs.setValue(QStringLiteral("com.vocena.firstLaunch"), true);
        prefs.setValue(QStringLiteral("com.vocena.onboarding.welcomeShown"), true);
        start({}, {QStringLiteral("VOCENA_LOG_LEVEL=debug")});
        ASSERT_TRUE(logShows(QStringLiteral("澄言已启动"))) << log.toStdString();
    }
    // Plays the test speech into the sound server's null sink (scripts/with-pulse).
    static void speak(const QString& wav) {
        const ProcessResult played = runProcess(QStringLiteral("paplay"), {QStringLiteral("-d"), QStringLiteral("vsink"), wav});
        ASSERT_EQ(played.exitCode, 0) << played.err.toStdString();
    }
};

// Double-taps the left Alt key on the X display (the dictation gesture).
inline void doubleTapAlt() { xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L")); }

}  // namespace vocena::test
