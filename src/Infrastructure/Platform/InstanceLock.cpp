#include "Infrastructure/Platform/InstanceLock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace vocena {

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock() { release(); }

QString InstanceLock::defaultPath() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("vocena.lock"));
}

InstanceLock::Result InstanceLock::tryAcquire() {
    if (m_file && m_file->isLocked()) return Result::acquired;
    m_file = std::make_unique<QLockFile>(m_path);
    // Only a dead owner makes the lock stale, however old it is.
    m_file->setStaleLockTime(0);
    if (m_file->tryLock(0)) return Result::acquired;
    const QLockFile::LockError error = m_file->error();
    m_file.reset();
    return error == QLockFile::LockFailedError ? Result::heldByOther : Result::failed;
}

void InstanceLock::release() {
    if (m_file) m_file->unlock();
    m_file.reset();
}

bool InstanceLock::isHeldByOther(const QString& path) {
    if (!QFileInfo::exists(path)) return false;
    qint64 pid = 0;
    QString host, application;
    if (!QLockFile(path).getLockInfo(&pid, &host, &application) || pid <= 0) return false;
    if (pid == QCoreApplication::applicationPid()) return false;
    // A process that is gone (or never was) leaves a stale file.
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

}  // namespace vocena
