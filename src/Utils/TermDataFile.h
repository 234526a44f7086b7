#pragma once

#include "Infrastructure/Platform/Logging.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <optional>

namespace vocena {

// One JSON file of the term tracker.
// - A file that exists but cannot be read or decoded is renamed to "<name>.corrupt-<time>"
//   before the first write, never overwritten.
// - Writes are atomic and serialised, and each carries the version of the snapshot it holds:
//   a snapshot older than one already written is dropped, so the file never goes back in time
//   when saves from several threads finish out of order.
class TermDataFile {
public:
    TermDataFile(QString path, Logger logger) : m_path(std::move(path)), m_logger(logger) {}

    // The decoded content; nothing when the file is missing (silently) or unusable (then it
    // is kept aside before the next write).
    template <typename Storage>
    std::optional<Storage> load() {
        const auto data = read();
        if (!data) return std::nullopt;
        auto storage = Storage::decode(*data);
        if (!storage) markUnusable();
        return storage;
    }

    // Returns false when nothing was written because of an error. A write skipped because a
    // newer snapshot is already on disk counts as success.
    bool write(const QByteArray& data, quint64 version);

    const QString& path() const { return m_path; }
    bool wasUnusable() const;

private:
    std::optional<QByteArray> read();
    void markUnusable();

    const QString m_path;
    const Logger m_logger;
    mutable QMutex m_mutex;  // guards the members below and the file itself
    bool m_unusable = false;
    bool m_keepAsidePending = false;
    quint64 m_writtenVersion = 0;
};

}  // namespace vocena
