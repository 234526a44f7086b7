#pragma once

#include "Infrastructure/Platform/DataFile.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QMutex>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vocena {

// The user's preferences: typed values (Boolean, integer, floating, string) in one JSON
// object, by default $XDG_CONFIG_HOME/澄言/preferences.json. Every read first checks whether
// the file changed on disk (another process, such as `vocena config set`, may have written it),
// every write is a read-modify-write under the file's lock (DataFile), so two processes
// setting different keys keep both. A file that cannot be parsed is kept aside before the
// first write. Safe to use from any thread.
class Preferences {
public:
    explicit Preferences(QString filePath);

    // The preferences of this user, created on first use.
    static Preferences& standard();
    static QString standardPath();

    const QString& filePath() const { return m_file.path(); }

    // A value of another type than asked for reads as absent (the caller's default applies).
    // An integer is a JSON number with an integral value; a floating value is any number.
    std::optional<bool> boolValue(const QString& key) const;
    std::optional<qint64> intValue(const QString& key) const;
    std::optional<double> doubleValue(const QString& key) const;
    std::optional<QString> stringValue(const QString& key) const;

    bool contains(const QString& key) const;
    QJsonValue value(const QString& key) const;  // Undefined when absent
    QJsonObject all() const;

    // Return an empty string on success, else the reason the file could not be written.
    QString setValue(const QString& key, const QJsonValue& value);
    QString remove(const QString& key);

    // Calls `observer` on the main thread after the values changed, through this object or
    // on disk (another process, another Preferences object), for as long as the returned
    // token is kept. Call on the main thread.
    std::shared_ptr<void> observe(std::function<void()> observer);

private:
    void refreshLocked() const;
    // Takes in what was read; true when the values differ from those held before.
    bool adopt(const DataFile::Reading<QJsonObject>& reading) const;
    // Tells the observers, on the main thread, that the values changed. Any thread.
    void announce() const;
    // Applies `change` to the current values and writes them unless it returns false.
    QString change(const std::function<bool(QJsonObject&)>& change);

    mutable DataFile m_file;
    mutable QMutex m_mutex;  // taken before the file's own
    mutable QJsonObject m_values;

    // Used on the main thread only.
    struct Observers {
        std::vector<std::weak_ptr<std::function<void()>>> list;
        void notify();
    };
    std::shared_ptr<Observers> m_observers = std::make_shared<Observers>();
    std::atomic_bool m_watching = false;  // set once the first observer came
};

}  // namespace vocena
