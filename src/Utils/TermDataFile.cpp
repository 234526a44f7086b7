#include "Utils/TermDataFile.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

namespace vocena {

std::optional<QByteArray> TermDataFile::read() {
    if (!QFileInfo::exists(m_path)) return std::nullopt;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        markUnusable();
        return std::nullopt;
    }
    return file.readAll();
}

void TermDataFile::markUnusable() {
    QMutexLocker lock(&m_mutex);
    m_unusable = true;
    m_keepAsidePending = true;
}

bool TermDataFile::wasUnusable() const {
    QMutexLocker lock(&m_mutex);
    return m_unusable;
}

bool TermDataFile::write(const QByteArray& data, quint64 version) {
    QMutexLocker lock(&m_mutex);
    if (version <= m_writtenVersion) return true;
    if (m_keepAsidePending && QFileInfo::exists(m_path)) {
        const auto kept = SafeFile::keepAside(m_path);
        if (!kept) {
            m_logger.error(QStringLiteral("无法另存无法读取的文件 %1，未覆盖它").arg(m_path));
            return false;
        }
        m_logger.notice(QStringLiteral("无法读取的文件已另存为 %1").arg(*kept));
    }
    m_keepAsidePending = false;
    QFileInfo(m_path).dir().mkpath(QStringLiteral("."));
    if (!SafeFile::writeAtomically(m_path, data).isEmpty()) return false;
    m_writtenVersion = version;
    return true;
}

}  // namespace vocena
