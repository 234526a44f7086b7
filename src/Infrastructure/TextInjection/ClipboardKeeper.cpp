#include "Infrastructure/TextInjection/ClipboardKeeper.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/X11ClipboardOwner.h"
#include "Infrastructure/Wayland/WaylandTyping.h"

#include <QClipboard>
#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTimer>
#include <QDataStream>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <algorithm>
#include <array>
#include <chrono>
#include <thread>
#include <sys/mman.h>
#include <unistd.h>

namespace vocena::ClipboardKeeper {

using namespace std::chrono_literals;

namespace {

const Logger logger("TextInjectionService");

using Formats = QList<QPair<QString, QByteArray>>;
// The content of each selection handed over, by QClipboard::Mode.
using Selections = QList<QPair<int, Formats>>;

// Where the content is served: the X11 selections (through Qt) or a wlroots compositor's.
enum class Server : qint32 { x11, wlroots };

struct Content {
    Server server = Server::x11;
    Selections selections;
};

constexpr std::array keptModes = {QClipboard::Clipboard, QClipboard::Selection};

using X11ClipboardOwner::ownedByThisProcess;

bool ownsAny() {
    return std::any_of(keptModes.begin(), keptModes.end(), [](QClipboard::Mode mode) { return ownedByThisProcess(mode); }) ||
           !WaylandTyping::servedContent().isEmpty();
}

QClipboard::Mode modeOf(PasteSelection selection) {
    return selection == PasteSelection::primary ? QClipboard::Selection : QClipboard::Clipboard;
}

// What this process owns, every format of it; empty when it owns nothing.
Content ownedContent() {
    const WaylandTyping::ServedContent served = WaylandTyping::servedContent();
    if (!served.isEmpty()) {
        Content wayland{Server::wlroots, {}};
        for (const auto& [selection, formats] : served) wayland.selections.append({int(modeOf(selection)), formats});
        return wayland;
    }
    Selections selections;
    QClipboard* board = X11ClipboardOwner::clipboard();
    for (QClipboard::Mode mode : keptModes) {
        const QMimeData* data = board && ownedByThisProcess(mode) ? board->mimeData(mode) : nullptr;
        if (!data || data->formats().isEmpty()) continue;
        Formats formats;
        for (const QString& format : data->formats()) formats.append({format, data->data(format)});
        selections.append({int(mode), formats});
    }
    return {Server::x11, selections};
}

QByteArray serialize(const Content& content) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << qint32(content.server) << content.selections;
    return bytes;
}

// The wlroots keeper: serves the content through data-control.
QCoro::Task<bool> keepOnWayland(Selections selections) {
    WaylandTyping::ServedContent content;
    for (const auto& [mode, formats] : selections)
        content.append({mode == QClipboard::Selection ? PasteSelection::primary : PasteSelection::clipboard, formats});
    co_return co_await WaylandTyping::keep(content);
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

enum class KeeperStart { nothingToKeep, started, failed };

// Starts the keeper with what this process owns.
KeeperStart startKeeper(const QString& program, const QStringList& arguments) {
    const Content content = ownedContent();
    if (content.selections.isEmpty()) return KeeperStart::nothingToKeep;
    const MemoryFile file(serialize(content));
    if (!file.isOpen()) return KeeperStart::failed;

    QProcess keeper;
    keeper.setProgram(program);
    keeper.setArguments(arguments);
    // Opened before the keeper starts, while this process still has the file.
    keeper.setStandardInputFile(file.path());
    // Nothing of the keeper's may hold this process's output open (`$(vocena type)` would
    // wait for the keeper).
    keeper.setStandardOutputFile(QProcess::nullDevice());
    keeper.setStandardErrorFile(QProcess::nullDevice());
    if (!keeper.startDetached()) {
        logger.error(QStringLiteral("无法启动剪贴板保持进程: %1").arg(program));
        return KeeperStart::failed;
    }
    return KeeperStart::started;
}

constexpr auto handOffLimit = 3s;
constexpr auto handOffPoll = 10ms;

}  // namespace

QCoro::Task<bool> handOff(QString program, QStringList arguments) {
    const KeeperStart start = startKeeper(program, arguments);
    if (start != KeeperStart::started) co_return start == KeeperStart::nothingToKeep;
    const auto deadline = std::chrono::steady_clock::now() + handOffLimit;
    while (ownsAny() && std::chrono::steady_clock::now() < deadline) co_await QCoro::sleepFor(handOffPoll);
    co_return !ownsAny();
}

bool handOffAtExit(const QString& program, const QStringList& arguments) {
    const KeeperStart start = startKeeper(program, arguments);
    if (start != KeeperStart::started) return start == KeeperStart::nothingToKeep;
    // The event loop has ended: wait by polling the X server (the keeper needs nothing of ours).
    const auto deadline = std::chrono::steady_clock::now() + handOffLimit;
    while (ownsAny() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(handOffPoll);
    return !ownsAny();
}

QCoro::Task<bool> keep(QByteArray content) {
    qint32 server = -1;
    Selections selections;
    QDataStream stream(content);
    stream >> server >> selections;
    if (stream.status() != QDataStream::Ok || selections.isEmpty()) co_return false;
    if (server == qint32(Server::wlroots)) co_return co_await keepOnWayland(selections);
    QPointer<QClipboard> board = X11ClipboardOwner::clipboard();
    if (!board || server != qint32(Server::x11)) co_return false;
    for (const auto& [mode, formats] : selections) {
        auto* data = new QMimeData;
        for (const auto& [format, bytes] : formats) data->setData(format, bytes);
        board->setMimeData(data, QClipboard::Mode(mode));
    }
    if (!ownsAny()) co_return false;
    // Woken by Qt's notice of a new owner, and every second for the new owners that Qt misses.
    while (board && ownsAny()) co_await qCoro(board.data(), &QClipboard::changed, 1s);
    co_return true;
}

}  // namespace vocena::ClipboardKeeper
