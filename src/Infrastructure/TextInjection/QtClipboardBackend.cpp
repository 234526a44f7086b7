#include "Infrastructure/TextInjection/QtClipboardBackend.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/PasteMimeData.h"
#include "Infrastructure/TextInjection/X11ClipboardOwner.h"

#include <QClipboard>
#include <QMimeData>

namespace vocena {

namespace {

const Logger logger("TextInjectionService");

// Whether `data` is what the clipboard holds.
bool holds(QClipboard* board, const QMimeData* data) {
    return data && X11ClipboardOwner::ownedByThisProcess() && board->mimeData(QClipboard::Clipboard) == data;
}

// A copy of every format of `source`. Reading another application's clipboard asks that
// application for each format in turn.
std::unique_ptr<QMimeData> copyOf(const QMimeData* source) {
    auto copy = std::make_unique<QMimeData>();
    if (!source) return copy;
    const QStringList formats = source->formats();
    for (const QString& format : formats) copy->setData(format, source->data(format));
    return copy;
}

}  // namespace

QtClipboardBackend::QtClipboardBackend() = default;

QtClipboardBackend::~QtClipboardBackend() { restore(); }

bool QtClipboardBackend::offer(const QString& text) {
    QClipboard* board = X11ClipboardOwner::clipboard();
    if (!board) return false;
    std::unique_ptr<QMimeData> previous = copyOf(board->mimeData(QClipboard::Clipboard));
    m_fetched = std::make_shared<bool>(false);
    auto* offered = new PasteMimeData(text, m_fetched);
    board->setMimeData(offered, QClipboard::Clipboard);  // Qt owns it from here
    // A refused write must not paste what the clipboard held (it may be a password).
    if (!holds(board, offered)) {
        logger.error(QStringLiteral("无法写入剪贴板"));
        return false;
    }
    m_previous = std::move(previous);
    m_offered = offered;
    return true;
}

bool QtClipboardBackend::offeredTextFetched() const { return *m_fetched; }

void QtClipboardBackend::restore() {
    QClipboard* board = X11ClipboardOwner::clipboard();
    // Someone who copied something meanwhile owns the clipboard now: leave theirs alone.
    if (holds(board, m_offered) && m_previous && !m_previous->formats().isEmpty())
        board->setMimeData(m_previous.release(), QClipboard::Clipboard);
    m_previous.reset();
    m_offered = nullptr;
}

}  // namespace vocena
