#pragma once

#include <QString>
#include <optional>

namespace vocena {

// The counts of one candidate term. Dates stay the raw numbers of the file (seconds since
// 2001-01-01T00:00:00Z, see ReferenceDate) so that loading and saving never changes them.
struct TermEntry {
    QString term;                         // also the key of the tracker's map
    qint64 totalCount = 0;                // occurrences since the entry was created
    qint64 sessionCount = 0;              // occurrences since this process started
    double firstSeen = 0;
    double lastSeen = 0;
    std::optional<QString> autoCategory;  // guessed once, when the entry was created

    bool operator==(const TermEntry&) const = default;
};

// A term the user dismissed; it is never counted or suggested again.
struct SuppressedEntry {
    QString term;
    double suppressedAt = 0;

    bool operator==(const SuppressedEntry&) const = default;
};

}  // namespace vocena
