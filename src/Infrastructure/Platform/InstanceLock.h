#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace vocena {

// The one-instance rule without a session bus: a lock file holding the owner's process id. A
// lock left by a process that died is taken over.
class InstanceLock {
public:
    explicit InstanceLock(QString path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // `$XDG_RUNTIME_DIR/vocena.lock` (Qt's runtime folder when the variable is unset).
    static QString defaultPath();

    enum class Result { acquired, heldByOther, failed };
    Result tryAcquire();
    void release();
    const QString& path() const { return m_path; }

    // Whether a live process other than this one holds the lock at `path`; never takes it.
    static bool isHeldByOther(const QString& path);

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_file;
};

}  // namespace vocena
