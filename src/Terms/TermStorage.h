#pragma once

#include "Terms/TermEntry.h"

#include <QByteArray>
#include <QList>
#include <optional>

namespace vocena {

// term_frequency.json, written compactly with the keys in this order:
// {"entries":[{"term":…,"totalCount":…,"sessionCount":…,"firstSeen":…,"lastSeen":…,"autoCategory":…}],
//  "lastPrunedAt":…}
// "autoCategory" is left out when absent. Every other key is required on reading (counts as
// integers, dates as numbers); a missing key or a wrong type anywhere fails the whole file.
struct FrequencyStorage {
    QList<TermEntry> entries;
    double lastPrunedAt = 0;

    QByteArray encode() const;
    static std::optional<FrequencyStorage> decode(const QByteArray& data, QString* error = nullptr);
};

// term_suppressed.json: {"entries":[{"term":…,"suppressedAt":…}]}, every key required.
struct SuppressedStorage {
    QList<SuppressedEntry> entries;

    QByteArray encode() const;
    static std::optional<SuppressedStorage> decode(const QByteArray& data, QString* error = nullptr);
};

}  // namespace vocena
