#include "Terms/TermStorage.h"

#include "Infrastructure/Platform/DataFile.h"
#include "Support/CompactJson.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

namespace vocena {

namespace {

// Reads the required keys of one object; the first problem is kept in `error`.
class ObjectReader {
public:
    ObjectReader(const QJsonValue& value, QString context, QString* error)
        : m_object(value.toObject()), m_context(std::move(context)), m_error(error) {
        if (!value.isObject()) fail(QStringLiteral("not an object"));
    }

    bool ok() const { return m_ok; }

    QString string(const char* key) {
        const QJsonValue value = field(key, "a string", &QJsonValue::isString);
        return value.toString();
    }
    double number(const char* key) {
        const QJsonValue value = field(key, "a number", &QJsonValue::isDouble);
        return value.toDouble();
    }
    qint64 integer(const char* key) {
        const QJsonValue value = field(key, "an integer", &QJsonValue::isDouble);
        const double number = value.toDouble();
        if (m_ok && (std::trunc(number) != number || std::abs(number) > 9.2e18))
            fail(QStringLiteral("\"%1\" is not an integer").arg(QLatin1String(key)));
        return m_ok ? value.toInteger() : 0;
    }
    // Absent or null gives nothing; another type than a string fails.
    std::optional<QString> optionalString(const char* key) {
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (!m_ok || value.isUndefined() || value.isNull()) return std::nullopt;
        if (!value.isString()) {
            fail(QStringLiteral("\"%1\" is not a string").arg(QLatin1String(key)));
            return std::nullopt;
        }
        return value.toString();
    }
    QJsonArray array(const char* key) {
        return field(key, "an array", &QJsonValue::isArray).toArray();
    }

private:
    QJsonValue field(const char* key, const char* what, bool (QJsonValue::*hasType)() const) {
        if (!m_ok) return {};
        const QJsonValue value = m_object.value(QLatin1String(key));
        if (value.isUndefined())
            fail(QStringLiteral("missing key \"%1\"").arg(QLatin1String(key)));
        else if (!(value.*hasType)())
            fail(QStringLiteral("\"%1\" is not %2").arg(QLatin1String(key), QLatin1String(what)));
        return m_ok ? value : QJsonValue();
    }
    void fail(const QString& problem) {
        if (!m_ok) return;
        m_ok = false;
        if (m_error) *m_error = m_context.isEmpty() ? problem : m_context + QStringLiteral(": ") + problem;
    }

    QJsonObject m_object;
    QString m_context;
    QString* m_error;
    bool m_ok = true;
};

std::optional<QJsonValue> parse(const QByteArray& data, QString* error) {
    const auto object = DataFile::decodeJsonObject(data, error);
    if (!object) return std::nullopt;
    return QJsonValue(*object);
}

// Decodes every element of "entries" with `decodeEntry`, or fails as a whole.
template <typename Entry, typename DecodeEntry>
std::optional<QList<Entry>> decodeEntries(const QJsonArray& array, QString* error, DecodeEntry decodeEntry) {
    QList<Entry> entries;
    entries.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        ObjectReader reader(array.at(i), QStringLiteral("entries[%1]").arg(i), error);
        Entry entry = decodeEntry(reader);
        if (!reader.ok()) return std::nullopt;
        entries << std::move(entry);
    }
    return entries;
}


}  // namespace

QByteArray FrequencyStorage::encode() const {
    const QByteArray list = compactJsonArray(entries, [](const TermEntry& entry) {
        CompactJsonObject object;
        object.add("term", entry.term)
            .add("totalCount", entry.totalCount)
            .add("sessionCount", entry.sessionCount)
            .add("firstSeen", entry.firstSeen)
            .add("lastSeen", entry.lastSeen);
        if (entry.autoCategory) object.add("autoCategory", *entry.autoCategory);
        return object.text();
    });
    return CompactJsonObject().addRaw("entries", list).add("lastPrunedAt", lastPrunedAt).text();
}

std::optional<FrequencyStorage> FrequencyStorage::decode(const QByteArray& data, QString* error) {
    const auto root = parse(data, error);
    if (!root) return std::nullopt;
    ObjectReader top(*root, {}, error);
    FrequencyStorage storage;
    const QJsonArray array = top.array("entries");
    storage.lastPrunedAt = top.number("lastPrunedAt");
    if (!top.ok()) return std::nullopt;
    auto entries = decodeEntries<TermEntry>(array, error, [](ObjectReader& reader) {
        TermEntry entry;
        entry.term = reader.string("term");
        entry.totalCount = reader.integer("totalCount");
        entry.sessionCount = reader.integer("sessionCount");
        entry.firstSeen = reader.number("firstSeen");
        entry.lastSeen = reader.number("lastSeen");
        entry.autoCategory = reader.optionalString("autoCategory");
        return entry;
    });
    if (!entries) return std::nullopt;
    storage.entries = std::move(*entries);
    return storage;
}

QByteArray SuppressedStorage::encode() const {
    const QByteArray list = compactJsonArray(entries, [](const SuppressedEntry& entry) {
        return CompactJsonObject().add("term", entry.term).add("suppressedAt", entry.suppressedAt).text();
    });
    return CompactJsonObject().addRaw("entries", list).text();
}

std::optional<SuppressedStorage> SuppressedStorage::decode(const QByteArray& data, QString* error) {
    const auto root = parse(data, error);
    if (!root) return std::nullopt;
    ObjectReader top(*root, {}, error);
    const QJsonArray array = top.array("entries");
    if (!top.ok()) return std::nullopt;
    auto entries = decodeEntries<SuppressedEntry>(array, error, [](ObjectReader& reader) {
        SuppressedEntry entry;
        entry.term = reader.string("term");
        entry.suppressedAt = reader.number("suppressedAt");
        return entry;
    });
    if (!entries) return std::nullopt;
    return SuppressedStorage{std::move(*entries)};
}

}  // namespace vocena
