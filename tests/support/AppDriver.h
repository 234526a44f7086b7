#pragma once

#include "Infrastructure/Platform/Preferences.h"
#include "support/CliRunner.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

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
    // Whether the log of the started process shows each of `texts` in time.
    ::testing::AssertionResult logShows(const QStringList& texts, int timeout = 15000) {
        const bool shown = waitUntil([&] {
            log += QString::fromUtf8(app.readAllStandardError());
            return std::all_of(texts.begin(), texts.end(), [&](const QString& text) { return log.contains(text); });
        }, timeout);
        return shown ? logHas(texts) : logHas(texts) << "\nafter " << timeout << " ms";
    }
    ::testing::AssertionResult logShows(const QString& text, int timeout = 15000) {
        return logShows(QStringList{text}, timeout);
    }
    // Whether the log read so far holds each of `present` and none of `absent`.
    ::testing::AssertionResult logHas(const QStringList& present, const QStringList& absent = {}) const {
        for (const QString& text : present + absent) {
            if (log.contains(text) != present.contains(text))
                return ::testing::AssertionFailure() << (log.contains(text) ? "" : "no ") << text.toStdString() << " in\n"
                                                     << log.toStdString();
        }
        return ::testing::AssertionSuccess();
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
        ASSERT_TRUE(logShows(QStringLiteral("澄言已启动")));
    }
    // A dictation of the tray app: started, told `wav` and stopped (`during` runs while it
    // recognizes); the log has shown `done`.
    void dictate(const QString& wav, const std::function<void()>& start, const std::function<void()>& stop,
                 const QString& done, const std::function<void()>& during = {}) {
        start();
        ASSERT_TRUE(logShows(QStringLiteral("状态: 正在聆听 → 显示顶部通知栏")));
        ASSERT_NO_FATAL_FAILURE(speak(wav));
        ASSERT_TRUE(logShows(QStringLiteral("状态: 正在识别...")));
        if (during) during();
        stop();
        ASSERT_TRUE(logShows(done, 20000));
    }
    // Plays the test speech into the sound server's null sink (scripts/with-pulse).
    static void speak(const QString& wav) {
        const ProcessResult played = runProcess(QStringLiteral("paplay"), {QStringLiteral("-d"), QStringLiteral("vsink"), wav});
        ASSERT_EQ(played.exitCode, 0) << played.err.toStdString();
    }
};

// `ok`, or a failure that shows how the command ended.
inline ::testing::AssertionResult described(const ProcessResult& result, bool ok) {
    if (ok) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "exit " << result.exitCode << "\nout: " << result.out.toStdString()
                                         << "\nerr: " << result.err.toStdString();
}
// Whether `result` ended with `code`, its standard error holding each of `err` and, where one
// is given, its output being `out`.
inline ::testing::AssertionResult exits(const ProcessResult& result, int code, const QStringList& err = {},
                                        const std::optional<QString>& out = {}) {
    bool ok = result.exitCode == code && (!out || result.out == *out);
    for (const QString& part : err) ok = ok && result.err.contains(part);
    return described(result, ok);
}
// Whether `result` ended with `code` and its output holds each of `parts`.
inline ::testing::AssertionResult prints(const ProcessResult& result, int code, const QStringList& parts) {
    bool ok = result.exitCode == code;
    for (const QString& part : parts) ok = ok && result.out.contains(part);
    return described(result, ok);
}

// Double-taps the left Alt key on the X display (the dictation gesture).
inline void doubleTapAlt() { xdotool(QStringLiteral("keydown Alt_L keyup Alt_L keydown Alt_L keyup Alt_L")); }

}  // namespace vocena::test
