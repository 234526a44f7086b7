#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace vocena {

// The resident size of this process, from /proc/self/statm (its second field, in pages).
// The reader is injectable so that the memory watchdog can be driven in tests.
class MemoryProbe {
public:
    // The content of a statm file; nothing when it cannot be read.
    using Reader = std::function<std::optional<QByteArray>()>;

    MemoryProbe();
    MemoryProbe(Reader reader, qint64 pageSize);

    // Nothing when the file cannot be read or makes no sense.
    std::optional<qint64> residentBytes() const;

    static std::optional<QByteArray> readOwnStatm();
    static qint64 systemPageSize();
    static std::optional<qint64> parseStatm(const QByteArray& content, qint64 pageSize);

private:
    Reader m_reader;
    qint64 m_pageSize;
};

}  // namespace vocena
