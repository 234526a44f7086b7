#pragma once

#include "Infrastructure/TextInjection/TextInjector.h"

#include <QObject>
#include <chrono>
#include <functional>
#include <memory>

namespace vocena {

class ClipboardBackend;
class KeyEventSink;

// Puts a finished text into the focused application: key by key for short text that the
// keyboard can type, otherwise through the clipboard and the paste shortcut of the focused
// application, after which the clipboard gets its previous content back. Only a fetch by the
// focused application counts as delivery: when it never fetches the text, the text stays on
// the clipboard and the paste fails with `notDelivered`.
//
// Operations run one at a time in the order they were started (a paste must not set aside
// the text of another paste as "the previous clipboard"), and none sends a key while the user
// still holds a modifier: the dictation was just ended by a double tap of Alt, and Alt+V is
// not a paste.
class TextInjectionService final : public QObject, public TextInjector {
    Q_OBJECT

public:
    // In the automatic mode, texts of more characters than this are pasted.
    static constexpr int shortTextThreshold = 10;
    static constexpr std::chrono::milliseconds keystrokeDelay{10};   // after each typed character
    static constexpr std::chrono::milliseconds backspaceDelay{50};   // after each backspace
    // After the paste shortcut the clipboard is put back once the target has fetched the text,
    // but never before the settle time; a text not fetched within the fetch limit stays.
    static constexpr std::chrono::milliseconds pasteSettleTime{100};
    static constexpr std::chrono::milliseconds pasteFetchLimit{1000};
    // The process-wide services read a longer fetch limit from VOCENA_PASTE_FETCH_LIMIT_MS (a
    // target that is slow to take a paste; tests that must find the paste still waiting).
    static constexpr const char* kFetchLimitVariable = "VOCENA_PASTE_FETCH_LIMIT_MS";
    // The longest wait for the user to let go of the modifier keys.
    static constexpr std::chrono::milliseconds modifierReleaseLimit{500};

    TextInjectionService(std::unique_ptr<KeyEventSink> keys, std::unique_ptr<ClipboardBackend> clipboard,
                         QObject* parent = nullptr);
    ~TextInjectionService() override;

    bool isTrusted() override;
    QCoro::Task<void> injectText(QString text, TextInjectionMode mode) override;
    QCoro::Task<void> deleteLastCharacters(int count) override;
    QCoro::Task<void> undo() override;

    // Ends a paste that waits for its target at once, for a process about to quit. When the
    // target has fetched the text, the clipboard gets its previous content back now and the
    // paste succeeds; otherwise the text stays on the clipboard and the paste fails with
    // `notDelivered`. Does nothing when no paste waits.
    void finishPaste();
    void setPasteFetchLimit(std::chrono::milliseconds limit) { m_pasteFetchLimit = limit; }

Q_SIGNALS:
    // A paste has put its text on the clipboard and waits for the target to fetch it...
    void pasteStarted();
    // ...and is over: the clipboard is restored, or holds the text on purpose.
    void pasteEnded();

private:
    // Runs `operation` once the operations started before it have finished and the user has
    // let go of the modifier keys.
    QCoro::Task<void> inTurn(std::function<QCoro::Task<void>()> operation);
    QCoro::Task<void> waitForModifierRelease();

    bool shouldPaste(const QString& text);
    QCoro::Task<void> typeByKeys(QString text);
    QCoro::Task<void> paste(QString text);
    QCoro::Task<void> pressBackspaces(int count);
    QCoro::Task<void> pressUndo();

    std::unique_ptr<KeyEventSink> m_keys;
    std::unique_ptr<ClipboardBackend> m_clipboard;
    quint64 m_nextTicket = 0;
    quint64 m_nowServing = 0;
    bool m_pasting = false;
    bool m_pasteInterrupted = false;
    std::chrono::milliseconds m_pasteFetchLimit = pasteFetchLimit;
};

}  // namespace vocena
