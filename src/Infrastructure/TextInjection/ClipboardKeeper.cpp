#include "Infrastructure/TextInjection/ClipboardKeeper.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/X11ClipboardOwner.h"

#include <QClipboard>
#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTimer>
#include <QDataStream>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <chrono>
#include <sys/mman.h>
#include <unistd.h>

namespace vocena::ClipboardKeeper {

using namespace std::chrono_literals;

namespace {

const Logger logger("TextInjectionService");

using Formats = QList<QPair<QString, QByteArray>>;

using X11ClipboardOwner::ownedByThisProcess;

QByteArray serialize(const QMimeData& data) {
    Formats formats;
    for (const QString& format : data.formats()) formats.append({format, data.data(format)});
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << formats;
    return bytes;
}

// An anonymous in-memory file holding `bytes`, closed with the object: the content reaches
// the keeper without touching the disk (it may be a password).
class MemoryFile {
public:
    explicit MemoryFile(const QByteArray& bytes) : m_fd(memfd_create("vocena-clipboard", MFD_CLOEXEC)) {
        for (qsizetype done = 0; m_fd >= 0 && done < bytes.size();) {
            const ssize_t n = ::write(m_fd, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0) close();
            else done += n;
        }
    }
    ~MemoryFile() { close(); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    QString path() const { return QStringLiteral("/proc/self/fd/%1").arg(m_fd); }

private:
    void close() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }
    int m_fd;
};

}  // namespace

QCoro::Task<bool> handOff(QString program, QStringList arguments) {
    if (!ownedByThisProcess()) co_return true;
    const QMimeData* data = X11ClipboardOwner::clipboard()->mimeData(QClipboard::Clipboard);
    if (!data || data->formats().isEmpty()) co_return true;
    const MemoryFile content(serialize(*data));
    if (!content.isOpen()) co_return false;

    QProcess keeper;
    keeper.setProgram(program);
    keeper.setArguments(arguments);
    // Opened before the keeper starts, while this process still has the file.
    keeper.setStandardInputFile(content.path());
    // Nothing of the keeper's may hold this process's output open (`$(vocena type)` would
    // wait for the keeper).
    keeper.setStandardOutputFile(QProcess::nullDevice());
    keeper.setStandardErrorFile(QProcess::nullDevice());
    if (!keeper.startDetached()) {
        logger.error(QStringLiteral("无法启动剪贴板保持进程: %1").arg(program));
        co_return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (ownedByThisProcess() && std::chrono::steady_clock::now() < deadline) co_await QCoro::sleepFor(10ms);
    co_return !ownedByThisProcess();
}

QCoro::Task<bool> keep(QByteArray content) {
    QPointer<QClipboard> board = X11ClipboardOwner::clipboard();
    Formats formats;
    QDataStream stream(content);
    stream >> formats;
    if (!board || stream.status() != QDataStream::Ok || formats.isEmpty()) co_return false;
    auto* data = new QMimeData;
    for (const auto& [format, bytes] : formats) data->setData(format, bytes);
    board->setMimeData(data, QClipboard::Clipboard);
    if (!ownedByThisProcess()) co_return false;
    // Woken by Qt's notice of a new owner, and every second for the new owners that Qt misses.
    while (board && ownedByThisProcess()) co_await qCoro(board.data(), &QClipboard::changed, 1s);
    co_return true;
}

}  // namespace vocena::ClipboardKeeper
