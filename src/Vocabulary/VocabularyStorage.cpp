#include "Vocabulary/VocabularyStorage.h"

#include "Infrastructure/Platform/DataFile.h"
#include "Support/CompactJson.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vocena {

namespace {

// The file keeps the fields in their natural order (QJsonObject would sort them).
QByteArray encodeItem(const VocabularyItem& item) {
    CompactJsonObject object;
    object.add("id", item.id.toString(QUuid::WithoutBraces).toUpper()).add("word", item.word);
    if (item.variants) object.addRaw("variants", CompactJsonObject::valueText(QJsonArray::fromStringList(*item.variants)));
    if (item.category) object.add("category", *item.category);
    object.add("createdAt", item.createdAt);
    return object.text();
}

// The canonical hyphenated form, in either case, without braces.
std::optional<QUuid> uuidFrom(const QString& text) {
    if (text.size() != 36 || text.startsWith(QLatin1Char('{'))) return std::nullopt;
    const QUuid id = QUuid::fromString(text);
    if (id.isNull() && text != QStringLiteral("00000000-0000-0000-0000-000000000000")) return std::nullopt;
    return id;
}

QString itemError(qsizetype index, const QString& problem) {
    return QStringLiteral("items[%1]: %2").arg(index).arg(problem);
}

std::optional<VocabularyItem> decodeItem(const QJsonValue& value, qsizetype index, QString* error) {
    if (!value.isObject()) {
        *error = itemError(index, QStringLiteral("not an object"));
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    VocabularyItem item;

    const QJsonValue id = object.value(QLatin1String("id"));
    const auto uuid = id.isString() ? uuidFrom(id.toString()) : std::nullopt;
    if (!uuid) {
        *error = itemError(index, id.isUndefined() ? QStringLiteral("missing key \"id\"") : QStringLiteral("\"id\" is not a UUID string"));
        return std::nullopt;
    }
    item.id = *uuid;

    const QJsonValue word = object.value(QLatin1String("word"));
    if (!word.isString()) {
        *error = itemError(index, word.isUndefined() ? QStringLiteral("missing key \"word\"") : QStringLiteral("\"word\" is not a string"));
        return std::nullopt;
    }
    item.word = word.toString();

    const QJsonValue createdAt = object.value(QLatin1String("createdAt"));
    if (!createdAt.isDouble()) {
        *error = itemError(index, createdAt.isUndefined() ? QStringLiteral("missing key \"createdAt\"") : QStringLiteral("\"createdAt\" is not a number"));
        return std::nullopt;
    }
    item.createdAt = createdAt.toDouble();

    // The optional keys may be absent or null; any other type than the expected one fails.
    const QJsonValue variants = object.value(QLatin1String("variants"));
    if (!variants.isUndefined() && !variants.isNull()) {
        if (!variants.isArray()) {
            *error = itemError(index, QStringLiteral("\"variants\" is not an array"));
            return std::nullopt;
        }
        QStringList list;
        for (const QJsonValue& variant : variants.toArray()) {
            if (!variant.isString()) {
                *error = itemError(index, QStringLiteral("\"variants\" holds a value that is not a string"));
                return std::nullopt;
            }
            list << variant.toString();
        }
        item.variants = list;
    }

    const QJsonValue category = object.value(QLatin1String("category"));
    if (!category.isUndefined() && !category.isNull()) {
        if (!category.isString()) {
            *error = itemError(index, QStringLiteral("\"category\" is not a string"));
            return std::nullopt;
        }
        item.category = category.toString();
    }
    return item;
}

}  // namespace

QByteArray VocabularyStorage::encode() const {
    return CompactJsonObject().addRaw("items", compactJsonArray(items, encodeItem)).text();
}

std::optional<VocabularyStorage> VocabularyStorage::decode(const QByteArray& data, QString* error) {
    QString ignored;
    if (!error) error = &ignored;
    const auto document = DataFile::decodeJsonObject(data, error);
    if (!document) return std::nullopt;
    const QJsonValue items = document->value(QLatin1String("items"));
    if (!items.isArray()) {
        *error = items.isUndefined() ? QStringLiteral("missing key \"items\"") : QStringLiteral("\"items\" is not an array");
        return std::nullopt;
    }
    VocabularyStorage storage;
    const QJsonArray array = items.toArray();
    storage.items.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        auto item = decodeItem(array.at(i), i, error);
        if (!item) return std::nullopt;
        storage.items << std::move(*item);
    }
    return storage;
}

}  // namespace vocena
