#pragma once

#include "Infrastructure/TextInjection/ClipboardBackend.h"

#include <QPointer>
#include <memory>

class QMimeData;

namespace vocena {

class PasteMimeData;

// The clipboard through QClipboard (the X11 CLIPBOARD selection on xcb); needs a
// QGuiApplication. Everything the clipboard held is set aside, every format (rich text,
// images, file lists), not only its text, and put back after the paste.
class QtClipboardBackend final : public ClipboardBackend {
public:
    QtClipboardBackend();
    // Puts back what an unfinished paste set aside.
    ~QtClipboardBackend() override;

    bool offer(const QString& text) override;
    bool offeredTextFetched() const override;
    void restore() override;

private:
    std::unique_ptr<QMimeData> m_previous;
    QPointer<PasteMimeData> m_offered;  // deleted by Qt when another application takes the clipboard
    std::shared_ptr<bool> m_fetched = std::make_shared<bool>(false);
};

}  // namespace vocena
