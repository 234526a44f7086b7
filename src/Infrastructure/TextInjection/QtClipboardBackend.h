#pragma once

#include "Infrastructure/TextInjection/ClipboardBackend.h"

#include <QClipboard>
#include <QPointer>
#include <memory>
#include <optional>
#include <vector>

class QMimeData;

namespace vocena {

class PasteFetchLog;
class PasteMimeData;
class X11SelectionRequestWatcher;

// The clipboard through QClipboard (the X11 CLIPBOARD selection on xcb, and PRIMARY for the
// terminals that paste it); needs a QGuiApplication. Everything a selection held is set aside,
// every format (rich text, images, file lists), not only its text, and put back after the paste.
// Reads are told apart by the X client that asked: only the focused application's counts.
class QtClipboardBackend final : public ClipboardBackend {
public:
    QtClipboardBackend();
    // Puts back what an unfinished paste set aside.
    ~QtClipboardBackend() override;

    bool offer(const QString& text, PasteSelection selection) override;
    bool offeredTextFetched() const override;
    void restore() override;
    void keepOffered() override;

private:
    // One selection that holds the offered text.
    struct Offer {
        QClipboard::Mode mode;
        std::unique_ptr<QMimeData> previous;
        QPointer<PasteMimeData> offered;  // deleted by Qt when another application takes the selection
    };

    bool offerOn(QClipboard::Mode mode, const QString& text);

    std::vector<Offer> m_offers;
    std::shared_ptr<PasteFetchLog> m_fetches;
    std::optional<quint32> m_target;  // the client the paste is meant for
    std::unique_ptr<X11SelectionRequestWatcher> m_watcher;
};

}  // namespace vocena
