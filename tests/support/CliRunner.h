#pragma once

#include "support/WaitUntil.h"

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vocena::test {

struct CliResult {
    int exitCode = -1;  // -1 when the process crashed or hung
    QString out;
    QString err;
};

// Runs the vocena binary with HOME and the XDG folders inside `home`, the session bus at
// `busAddress` (none by default: the file secret store), no proxy and the default log level;
// waits at most 30 s, serving this process's events meanwhile (so the child may call it).
inline CliResult runVocena(const QString& binary, const QString& home, const QStringList& args, const QByteArray& input = {},
                           const QString& busAddress = QStringLiteral("disabled:")) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(home).filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), QDir(home).filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
    for (const char* name : {"http_proxy", "https_proxy", "VOCENA_LOG_LEVEL", "VOCENA_LOG_PRIVATE"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(binary, args);
    process.write(input);
    process.closeWriteChannel();
    if (!waitUntil([&process] { return process.state() == QProcess::NotRunning; }, 30000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace vocena::test
