#pragma once

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vocena::test {

struct ProcessResult {
    int exitCode = -1;  // -1: crashed or did not finish in time
    QString out;
    QString err;
};

// Runs a program to its end with `input` on its standard input (and `environment` instead of
// this process's, when given), while this process's event loop keeps running (it may have to
// serve the clipboard the program reads, or a call of the program).
inline ProcessResult runProcess(const QString& program, const QStringList& arguments, const QByteArray& input = {},
                                const QStringList& environment = {}, int timeoutMs = 20000) {
    QProcess process;
    if (!environment.isEmpty()) process.setEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) return {};
    process.write(input);
    process.closeWriteChannel();
    const bool finished = waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    if (!finished) process.kill();
    process.waitForFinished(1000);
    const bool ok = finished && process.exitStatus() == QProcess::NormalExit;
    return {ok ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Runs xdotool with the space-separated `arguments` on the X display; returns its output lines.
inline QStringList xdotool(const QString& arguments) {
    const ProcessResult result = runProcess(QStringLiteral("xdotool"), arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    EXPECT_EQ(result.exitCode, 0) << "xdotool " << qPrintable(arguments) << ": " << qPrintable(result.err);
    return result.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace vocena::test
