#include "Infrastructure/Platform/MemoryProbe.h"

#include <QFile>
#include <QList>
#include <limits>
#include <unistd.h>

namespace vocena {

MemoryProbe::MemoryProbe() : MemoryProbe(&MemoryProbe::readOwnStatm, systemPageSize()) {}

MemoryProbe::MemoryProbe(Reader reader, qint64 pageSize) : m_reader(std::move(reader)), m_pageSize(pageSize) {}

std::optional<qint64> MemoryProbe::residentBytes() const {
    const std::optional<QByteArray> content = m_reader();
    if (!content) return std::nullopt;
    return parseStatm(*content, m_pageSize);
}

std::optional<QByteArray> MemoryProbe::readOwnStatm() {
    // A file of /proc reports a size of 0: read it whole rather than by its size.
    QFile file(QStringLiteral("/proc/self/statm"));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    return file.readAll();
}

qint64 MemoryProbe::systemPageSize() {
    const long size = sysconf(_SC_PAGESIZE);
    return size > 0 ? size : 4096;
}

std::optional<qint64> MemoryProbe::parseStatm(const QByteArray& content, qint64 pageSize) {
    // "size resident shared text lib data dt", all in pages.
    const QList<QByteArray> fields = content.simplified().split(' ');
    if (fields.size() < 2 || pageSize <= 0) return std::nullopt;
    bool ok = false;
    const qint64 pages = fields.at(1).toLongLong(&ok);
    if (!ok || pages < 0 || pages > std::numeric_limits<qint64>::max() / pageSize) return std::nullopt;
    return pages * pageSize;
}

}  // namespace vocena
