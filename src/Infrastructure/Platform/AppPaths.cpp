#include "Infrastructure/Platform/AppPaths.h"

#include "Infrastructure/Platform/Logging.h"

#include <QDir>
#include <QStandardPaths>

namespace vocena::AppPaths {

namespace {
QString ensured(QStandardPaths::StandardLocation location, bool* ok) {
    const QString root = QStandardPaths::writableLocation(location);
    if (ok) *ok = !root.isEmpty();
    if (root.isEmpty())
        return QDir::tempPath();
    const QString dir = root + QLatin1Char('/') + QString::fromUtf8(kAppFolder);
    QDir().mkpath(dir);  // a failure shows up when the file is written
    return dir;
}
}  // namespace

QString dataDir(bool* ok) { return ensured(QStandardPaths::GenericDataLocation, ok); }

QString configDir() { return ensured(QStandardPaths::GenericConfigLocation, nullptr); }

QString dataFile(const QString& name, bool* ok) { return dataDir(ok) + QLatin1Char('/') + name; }

QString dataFile(const QString& name, const Logger& logger) {
    bool ok = true;
    const QString path = dataFile(name, &ok);
    if (!ok) logger.error(QStringLiteral("无法获取 Application Support 目录"));
    return path;
}

}  // namespace vocena::AppPaths
