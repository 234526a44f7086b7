#pragma once

#include "Vocabulary/VocabularyItem.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace vocena {

// The content of vocabulary.json: {"items":[{"id":…,"word":…,"variants":[…],"category":…,"createdAt":…}]}
// written compactly with the keys in that order; "variants" and "category" are left out when
// absent. Reading requires "items" and, in every item, "id" (a UUID string), "word" and
// "createdAt" (a number); a missing key or a wrong type anywhere fails the whole file.
struct VocabularyStorage {
    QList<VocabularyItem> items;

    QByteArray encode() const;
    // Nothing, with the reason in `error`, when the data is not a valid vocabulary file.
    static std::optional<VocabularyStorage> decode(const QByteArray& data, QString* error);
};

}  // namespace vocena
