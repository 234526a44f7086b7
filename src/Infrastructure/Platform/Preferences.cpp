#include "Infrastructure/Platform/Preferences.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/SafeFile.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QMutexLocker>
#include <cmath>

namespace vocena {

namespace {
const Logger logger("Preferences");
}

Preferences::Preferences(QString filePath) : m_path(std::move(filePath)) {}

QString Preferences::standardPath() {
    return AppPaths::configDir() + QStringLiteral("/preferences.json");
}

Preferences& Preferences::standard() {
    static Preferences preferences(standardPath());
    return preferences;
}

void Preferences::refreshLocked() const {
    const QFileInfo info(m_path);
    const bool exists = info.exists();
    if (exists == m_loadedExists && (!exists || (info.lastModified() == m_loadedModified && info.size() == m_loadedSize)))
        return;
    m_loadedExists = exists;
    m_loadedModified = exists ? info.lastModified() : QDateTime();
    m_loadedSize = exists ? info.size() : -1;
    m_values = {};
    m_unreadable = false;
    if (!exists)
        return;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        logger.error(QStringLiteral("无法读取偏好设置文件 %1: %2").arg(m_path, file.errorString()));
        m_unreadable = true;
        return;
    }
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        logger.error(QStringLiteral("偏好设置文件无效，使用默认值: %1").arg(m_path));
        m_unreadable = true;
        return;
    }
    m_values = document.object();
}

std::optional<bool> Preferences::boolValue(const QString& key) const {
    const QJsonValue v = value(key);
    if (!v.isBool()) return std::nullopt;
    return v.toBool();
}

std::optional<qint64> Preferences::intValue(const QString& key) const {
    const QJsonValue v = value(key);
    if (!v.isDouble()) return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9.007199254740992e15) return std::nullopt;
    return static_cast<qint64>(d);
}

std::optional<double> Preferences::doubleValue(const QString& key) const {
    const QJsonValue v = value(key);
    if (!v.isDouble()) return std::nullopt;
    return v.toDouble();
}

std::optional<QString> Preferences::stringValue(const QString& key) const {
    const QJsonValue v = value(key);
    if (!v.isString()) return std::nullopt;
    return v.toString();
}

bool Preferences::contains(const QString& key) const { return !value(key).isUndefined(); }

QJsonValue Preferences::value(const QString& key) const {
    QMutexLocker lock(&m_mutex);
    refreshLocked();
    return m_values.value(key);
}

QJsonObject Preferences::all() const {
    QMutexLocker lock(&m_mutex);
    refreshLocked();
    return m_values;
}

QString Preferences::setValue(const QString& key, const QJsonValue& value) {
    QMutexLocker lock(&m_mutex);
    refreshLocked();
    QJsonObject values = m_values;
    values.insert(key, value);
    return writeLocked(values);
}

QString Preferences::remove(const QString& key) {
    QMutexLocker lock(&m_mutex);
    refreshLocked();
    if (!m_values.contains(key)) return {};
    QJsonObject values = m_values;
    values.remove(key);
    return writeLocked(values);
}

QString Preferences::writeLocked(const QJsonObject& values) {
    if (m_unreadable) {
        const auto kept = SafeFile::keepAside(m_path);
        if (!kept) {
            const QString reason = QStringLiteral("无法保留损坏的偏好设置文件 %1").arg(m_path);
            logger.error(reason);
            return reason;
        }
        logger.notice(QStringLiteral("损坏的偏好设置文件已另存为 %1").arg(*kept));
    }
    QFileInfo(m_path).dir().mkpath(QStringLiteral("."));
    const QString error = SafeFile::writeAtomically(m_path, QJsonDocument(values).toJson(QJsonDocument::Indented));
    if (!error.isEmpty()) {
        logger.error(QStringLiteral("保存偏好设置失败: %1").arg(error));
        return error;
    }
    m_values = values;
    m_unreadable = false;
    const QFileInfo info(m_path);
    m_loadedExists = true;
    m_loadedModified = info.lastModified();
    m_loadedSize = info.size();
    return {};
}

}  // namespace vocena
