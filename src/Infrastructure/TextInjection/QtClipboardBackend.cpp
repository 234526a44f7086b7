#include "Infrastructure/TextInjection/QtClipboardBackend.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/TextInjection/PasteFetchLog.h"
#include "Infrastructure/TextInjection/PasteMimeData.h"
#include "Infrastructure/TextInjection/X11ClipboardOwner.h"
#include "Infrastructure/TextInjection/X11SelectionRequestWatcher.h"
#include "Infrastructure/X11/X11QtConnection.h"

#include <QMimeData>
#include <QTimer>

namespace vocena {

namespace {

const Logger logger("TextInjectionService");

// Whether `data` is what the selection holds.
bool holds(QClipboard* board, QClipboard::Mode mode, const QMimeData* data) {
    return data && X11ClipboardOwner::ownedByThisProcess(mode) && board->mimeData(mode) == data;
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

QtClipboardBackend::QtClipboardBackend()
    : m_fetches(std::make_shared<PasteFetchLog>(std::nullopt)),
      m_watcher(std::make_unique<X11SelectionRequestWatcher>([this](quint32 client) {
          m_fetches->serving(client);
          // Qt serves the request right after the watcher saw it; whatever it read by the next
          // turn of the event loop was read for that client.
          QTimer::singleShot(0, [fetches = std::weak_ptr<PasteFetchLog>(m_fetches)] {
              if (const auto log = fetches.lock()) log->served();
          });
      })) {}

QtClipboardBackend::~QtClipboardBackend() { restore(); }

bool QtClipboardBackend::offer(const QString& text, PasteSelection selection) {
    restore();
    m_fetches = std::make_shared<PasteFetchLog>(X11QtConnection::thisClient());
    m_target = X11QtConnection::focusedClient();
    bool offered = offerOn(QClipboard::Clipboard, text);
    if (offered && selection == PasteSelection::primary) offered = offerOn(QClipboard::Selection, text);
    if (!offered) {
        // A refused write must not paste what the clipboard held (it may be a password).
        logger.error(QStringLiteral("无法写入剪贴板"));
        restore();
    }
    return offered;
}

bool QtClipboardBackend::offerOn(QClipboard::Mode mode, const QString& text) {
    QClipboard* board = X11ClipboardOwner::clipboard();
    if (!board) return false;
    std::unique_ptr<QMimeData> previous = copyOf(board->mimeData(mode));
    auto* data = new PasteMimeData(text, m_fetches);
    board->setMimeData(data, mode);  // Qt owns it from here
    m_offers.push_back({mode, std::move(previous), data});
    return holds(board, mode, data);
}

bool QtClipboardBackend::offeredTextFetched() const { return m_fetches->readBy(m_target); }

void QtClipboardBackend::restore() {
    QClipboard* board = X11ClipboardOwner::clipboard();
    for (Offer& offer : m_offers) {
        // Someone who copied something meanwhile owns the selection now: leave theirs alone.
        if (board && holds(board, offer.mode, offer.offered) && !offer.previous->formats().isEmpty())
            board->setMimeData(offer.previous.release(), offer.mode);
    }
    m_offers.clear();
}

void QtClipboardBackend::keepOffered() { m_offers.clear(); }

}  // namespace vocena
