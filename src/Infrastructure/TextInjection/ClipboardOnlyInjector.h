#pragma once

#include "Infrastructure/TextInjection/TextInjector.h"

#include <memory>

namespace vocena {

class ClipboardBackend;

// Keeps dictated text where nothing can type into the focused window (a GNOME or KDE Wayland
// session without fcitx5, an X display without XTest): the text goes on the clipboard for the
// user to paste, and the injection fails with `notDelivered`, the failure that tells the user
// "已复制到剪贴板". When the clipboard cannot be set either, it fails with `notKept` and the
// shell shows the text itself. Backspaces and undo cannot be sent: they only say so in the log.
class ClipboardOnlyInjector final : public TextInjector {
public:
    // `clipboard` null: there is no clipboard to set (no display at all).
    explicit ClipboardOnlyInjector(std::unique_ptr<ClipboardBackend> clipboard);
    ~ClipboardOnlyInjector() override;

    // Always: the text is never dropped for want of a way of typing.
    bool isTrusted() override { return true; }
    QCoro::Task<void> injectText(QString text, TextInjectionMode mode) override;
    QCoro::Task<void> deleteLastCharacters(int count) override;
    QCoro::Task<void> undo() override;

private:
    std::unique_ptr<ClipboardBackend> m_clipboard;
};

}  // namespace vocena
