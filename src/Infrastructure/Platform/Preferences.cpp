#include "Infrastructure/Platform/Preferences.h"

#include "Infrastructure/Platform/AppPaths.h"
#include "Infrastructure/Platform/Logging.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QMutexLocker>
#include <cmath>

namespace vocena {

namespace {
const Logger logger("Preferences");
}

Preferences::Preferences(QString filePath) : m_file(std::move(filePath), logger) {}

QString Preferences::standardPath() {
    return AppPaths::configDir() + QStringLiteral("/preferences.json");
}

Preferences& Preferences::standard() {
    static Preferences preferences(standardPath());
    return preferences;
}

// Whichever read first takes in another writer's change (a getter on any thread, a write, the
// watcher) tells the observers: the watcher finds nothing new once a getter has been there.
void Preferences::refreshLocked() const {
    if (m_file.changedOnDisk() && adopt(m_file.read(&DataFile::decodeJsonObject))) announce();
}

bool Preferences::adopt(const DataFile::Reading<QJsonObject>& reading) const {
    if (reading.state == DataFile::State::unreadable)
        logger.error(QStringLiteral("偏好设置文件无效，使用默认值: %1 (%2)").arg(m_file.path(), reading.error));
    if (reading.value == m_values) return false;
    m_values = reading.value;
    return true;
}

void Preferences::announce() const {
    QCoreApplication* app = QCoreApplication::instance();
    if (!m_watching || !app) return;
    std::weak_ptr<Observers> observers = m_observers;
    QMetaObject::invokeMethod(app, [observers] {
        if (auto strong = observers.lock()) strong->notify();
    }, Qt::QueuedConnection);
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
    return change([&](QJsonObject& values) {
        values.insert(key, value);
        return true;
    });
}

QString Preferences::remove(const QString& key) {
    return change([&](QJsonObject& values) {
        if (!values.contains(key)) return false;
        values.remove(key);
        return true;
    });
}

QString Preferences::change(const std::function<bool(QJsonObject&)>& change) {
    QMutexLocker lock(&m_mutex);
    QJsonObject values;
    bool changed = false;
    bool adopted = false;  // another writer's change, taken in before this one
    const QString error = m_file.update<QJsonObject>(
        &DataFile::decodeJsonObject,
        [&](const DataFile::Reading<QJsonObject>& reading) { adopted = adopt(reading) || adopted; },
        [&]() -> std::optional<QByteArray> {
            values = m_values;
            changed = change(values);
            if (!changed) return std::nullopt;
            return QJsonDocument(values).toJson(QJsonDocument::Indented);
        });
    const bool written = changed && error.isEmpty();
    if (!error.isEmpty()) logger.error(QStringLiteral("保存偏好设置失败: %1").arg(error));
    if (written) m_values = values;
    if (written || adopted) announce();
    return error;
}

std::shared_ptr<void> Preferences::observe(std::function<void()> observer) {
    auto token = std::make_shared<std::function<void()>>(std::move(observer));
    m_observers->list.push_back(token);
    if (!m_watching) {
        m_watching = true;
        m_file.watch([this] { all(); });  // takes in the change and tells the observers
    }
    return token;
}

void Preferences::Observers::notify() {
    std::erase_if(list, [](const auto& observer) { return observer.expired(); });
    const auto current = list;  // an observer may add another
    for (const auto& weak : current)
        if (auto observer = weak.lock()) (*observer)();
}

}  // namespace vocena
