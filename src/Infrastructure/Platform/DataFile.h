#pragma once

#include "Infrastructure/Platform/Logging.h"

#include <QByteArray>
#include <QFileDevice>
#include <QJsonObject>
#include <QMutex>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <sys/types.h>

class QFileSystemWatcher;

namespace vocena {

// One JSON file of the app that several processes (the tray app, `vocena` commands) read and
// change at the same time.
//
// - Reading needs no lock: every write replaces the whole file atomically (temporary file,
//   then rename), so a reader sees either the old or the new content.
// - Changing is a read-modify-write under a lock file beside the data file ("<name>.lock",
//   QLockFile): under the lock the file is re-read when it changed since this object last read
//   or wrote it, the owner re-applies its own pending changes to that content, and the result
//   is written. The wait for the lock is bounded; a lock left by a process that died is taken
//   over at once.
// - A file that exists but cannot be read or decoded is renamed to
//   "<name>.corrupt-<yyyyMMdd>-<HHmmss>" before anything is written in its place.
// - Changes made by others are noticed by comparing the file's identity (device, inode, size,
//   modification and change times) with the one last read or written. File times are coarse
//   and inodes are reused, so when the file was modified less than 100 ms before it was looked
//   at, its content is compared as well. Optionally a QFileSystemWatcher reports changes as
//   they happen.
//
// Thread-safe. The owner's callbacks run with this object's mutex held: they must not call
// back into it.
class DataFile {
public:
    enum class State { missing, loaded, unreadable };

    template <typename Value>
    struct Reading {
        State state = State::missing;
        Value value{};  // the decoded content when loaded, else a default value
        QString error;  // why the file is unreadable
    };

    template <typename Value>
    using Decoder = std::optional<Value> (*)(const QByteArray& data, QString* error);

    struct Options {
        // Of the written file; empty keeps what the umask gives (for secrets: owner only).
        QFileDevice::Permissions permissions;
        int lockTimeoutMs = 2000;
    };

    DataFile(QString path, Logger logger, Options options);
    DataFile(QString path, Logger logger) : DataFile(std::move(path), logger, Options{}) {}
    ~DataFile();
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;

    const QString& path() const { return m_path; }

    // Reads and decodes the file as it is now.
    template <typename Value>
    Reading<Value> read(Decoder<Value> decode) {
        QMutexLocker lock(&m_mutex);
        return decodeLocked(readLocked(), decode);
    }

    // Whether the file was created, replaced, changed or removed since this object last read
    // or wrote it (always true before the first read).
    bool changedOnDisk() const;
    // Whether the content last read could not be used and is still on disk (it is kept aside
    // before the next write).
    bool isUnreadable() const;

    // A read-modify-write under the lock file. When the file changed since this object last
    // read or wrote it, `reload` gets its current content first; then `encode` returns the
    // bytes to write, or nothing when there is nothing to write. Returns an empty string on
    // success, else the reason nothing was written (already logged when it is the lock).
    template <typename Value>
    QString update(Decoder<Value> decode, const std::function<void(const Reading<Value>&)>& reload,
                   const std::function<std::optional<QByteArray>()>& encode) {
        return updateRaw([&](const RawContent& raw) { reload(decodeLocked(raw, decode)); }, encode);
    }

    // Calls `handler` on the main thread whenever the file changes on disk through someone
    // else; the handler is expected to read() it. Does nothing when called on another thread.
    void watch(std::function<void()> handler);

    // A decoder for files that hold one JSON object.
    static std::optional<QJsonObject> decodeJsonObject(const QByteArray& data, QString* error);

private:
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct RawContent {
        State state = State::missing;
        QByteArray data;
        QString error;
    };

    Stamp currentStamp() const;
    // Whether a write made from now on could carry the same file times as `stamp`.
    static bool isAmbiguous(const Stamp& stamp);
    void recordStamp(const QByteArray& content);
    bool changedLocked() const;
    RawContent readLocked();
    template <typename Value>
    Reading<Value> decodeLocked(const RawContent& raw, Decoder<Value> decode) {
        Reading<Value> reading{raw.state, Value{}, raw.error};
        if (raw.state == State::loaded) {
            if (auto value = decode(raw.data, &reading.error))
                reading.value = std::move(*value);
            else
                reading.state = State::unreadable;
        }
        m_unreadable = reading.state == State::unreadable;
        return reading;
    }
    QString updateRaw(const std::function<void(const RawContent&)>& reload,
                      const std::function<std::optional<QByteArray>()>& encode);
    QString keepAsideLocked();
    void checkWatched();

    const QString m_path;
    const Logger m_logger;
    const Options m_options;
    mutable QMutex m_mutex;  // guards the members below and serialises this process's writes
    std::optional<Stamp> m_stamp;  // of the content last read or written; none before the first read
    // The file was modified so shortly before m_stamp was taken that a later write could carry
    // the same times, and the freed inode may be reused: the stamp alone cannot tell.
    mutable bool m_stampAmbiguous = false;
    QByteArray m_contentHash;  // of the content last read or written, to settle an ambiguous stamp
    bool m_unreadable = false;
    std::unique_ptr<QFileSystemWatcher> m_watcher;
    std::function<void()> m_changeHandler;
};

}  // namespace vocena
