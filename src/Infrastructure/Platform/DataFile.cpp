#include "Infrastructure/Platform/DataFile.h"

#include "Infrastructure/Platform/SafeFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QLockFile>
#include <QThread>

#include <sys/stat.h>
#include <time.h>

namespace vocena {

namespace {

qint64 nanoseconds(const timespec& time) { return qint64(time.tv_sec) * 1000000000 + time.tv_nsec; }

// Far more than the granularity of file times (a clock tick, a few milliseconds).
constexpr qint64 kAmbiguousWindowNs = 100'000'000;

QByteArray contentHash(const QByteArray& content) { return QCryptographicHash::hash(content, QCryptographicHash::Sha1); }

}  // namespace

bool DataFile::isAmbiguous(const Stamp& stamp) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return stamp.exists && nanoseconds(now) - stamp.modifiedNs < kAmbiguousWindowNs;
}

DataFile::DataFile(QString path, Logger logger, Options options)
    : m_path(std::move(path)), m_logger(logger), m_options(options) {}

DataFile::~DataFile() = default;

DataFile::Stamp DataFile::currentStamp() const {
    struct stat info {};
    if (::stat(QFile::encodeName(m_path).constData(), &info) != 0) return {};
    return Stamp{true, info.st_dev, info.st_ino, qint64(info.st_size), nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

void DataFile::recordStamp(const QByteArray& content) {
    m_stamp = currentStamp();
    m_stampAmbiguous = isAmbiguous(*m_stamp);
    m_contentHash = contentHash(content);
}

bool DataFile::changedLocked() const {
    const Stamp current = currentStamp();
    if (!m_stamp || !(*m_stamp == current)) return true;
    if (!m_stampAmbiguous) return false;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly) || contentHash(file.readAll()) != m_contentHash) return true;
    m_stampAmbiguous = isAmbiguous(current);  // once old enough, the stamp alone decides
    return false;
}

bool DataFile::changedOnDisk() const {
    QMutexLocker lock(&m_mutex);
    return changedLocked();
}

bool DataFile::isUnreadable() const {
    QMutexLocker lock(&m_mutex);
    return m_unreadable;
}

DataFile::RawContent DataFile::readLocked() {
    // The stamp is taken before reading: a replacement in between is noticed next time.
    recordStamp({});
    if (!m_stamp->exists) return {};
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) return {State::unreadable, {}, file.errorString()};
    RawContent content{State::loaded, file.readAll(), {}};
    m_contentHash = contentHash(content.data);
    return content;
}

QString DataFile::updateRaw(const std::function<void(const RawContent&)>& reload,
                            const std::function<std::optional<QByteArray>()>& encode) {
    QMutexLocker lock(&m_mutex);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QLockFile lockFile(m_path + QStringLiteral(".lock"));
    if (!lockFile.tryLock(m_options.lockTimeoutMs)) {
        QString reason;
        qint64 pid = 0;
        QString host, application;
        if (lockFile.error() == QLockFile::LockFailedError && lockFile.getLockInfo(&pid, &host, &application))
            reason = QStringLiteral("文件锁 %1 被进程 %2（%3）占用超过 %4 毫秒，未写入 %5")
                         .arg(lockFile.fileName()).arg(pid).arg(application).arg(m_options.lockTimeoutMs).arg(m_path);
        else
            reason = QStringLiteral("无法取得文件锁 %1，未写入 %2").arg(lockFile.fileName(), m_path);
        m_logger.error(reason);
        return reason;
    }
    if (changedLocked()) reload(readLocked());
    const std::optional<QByteArray> data = encode();
    if (!data) return {};
    if (m_unreadable && currentStamp().exists) {
        const QString reason = keepAsideLocked();
        if (!reason.isEmpty()) return reason;
    }
    const QString error = SafeFile::writeAtomically(m_path, *data, m_options.permissions);
    if (!error.isEmpty()) return error;
    m_unreadable = false;
    recordStamp(*data);  // still under the lock: nobody else has written since
    return {};
}

QString DataFile::keepAsideLocked() {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(m_path, target)) {
        const QString reason = QStringLiteral("无法另存无法读取的文件 %1，未覆盖它").arg(m_path);
        m_logger.error(reason);
        return reason;
    }
    m_logger.notice(QStringLiteral("无法读取的文件已另存为 %1").arg(target));
    return {};
}

void DataFile::watch(std::function<void()> handler) {
    // Only the main thread runs an event loop that could deliver the watcher's signals.
    const QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() != app->thread()) return;
    m_changeHandler = std::move(handler);
    const QString directory = QFileInfo(m_path).absolutePath();
    QDir().mkpath(directory);
    m_watcher = std::make_unique<QFileSystemWatcher>();
    // The folder reports every atomic replacement (a rename into it); the file itself reports
    // changes made in place, by an editor for instance.
    m_watcher->addPath(directory);
    if (QFileInfo::exists(m_path)) m_watcher->addPath(m_path);
    QObject::connect(m_watcher.get(), &QFileSystemWatcher::directoryChanged, m_watcher.get(), [this] { checkWatched(); });
    QObject::connect(m_watcher.get(), &QFileSystemWatcher::fileChanged, m_watcher.get(), [this] { checkWatched(); });
}

void DataFile::checkWatched() {
    // A replaced file drops out of the watch list; the new one is watched again.
    if (!m_watcher->files().contains(m_path) && QFileInfo::exists(m_path)) m_watcher->addPath(m_path);
    if (changedOnDisk()) m_changeHandler();
}

std::optional<QJsonObject> DataFile::decodeJsonObject(const QByteArray& data, QString* error) {
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (error) *error = QStringLiteral("invalid JSON at offset %1: %2").arg(parseError.offset).arg(parseError.errorString());
        return std::nullopt;
    }
    if (!document.isObject()) {
        if (error) *error = QStringLiteral("the top level is not an object");
        return std::nullopt;
    }
    return document.object();
}

}  // namespace vocena
