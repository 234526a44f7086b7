#pragma once

#include "Infrastructure/Platform/Logging.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vocena::test {

// Points HOME, the XDG folders and XDG_RUNTIME_DIR into `home`, keeps Qt off the user's
// session bus, and shows only error log lines (VOCENA_LOG_LEVEL=info shows more).
inline void prepareEnvironment(const QTemporaryDir& home) {
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    Logging::install(Logging::levelFromEnvironment(Logging::Level::Error));
}

}  // namespace vocena::test
