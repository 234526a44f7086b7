#pragma once

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/TextInjection/TextInjector.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace vocena {

// Text and commands through the fcitx5 bridge: the text is committed into the focused input
// context as an input method commits a candidate (the clipboard is never touched), Backspace
// and Control+Z are forwarded to the focused application. When no input context has the focus
// or the bridge fails, the same operation goes to `fallback` (the X11 keys and paste, which
// leaves an undelivered text on the clipboard), and the log says so. Operations run one at a
// time in the order they were started. Main thread only.
class Fcitx5TextInjector final : public QObject, public TextInjector {
    Q_OBJECT

public:
    // Keysyms forwarded for the voice commands.
    static constexpr quint32 backSpaceKeysym = 0xff08;
    static constexpr quint32 zKeysym = 0x7a;

    // `fallback` may be null (no X11 display): a text the bridge cannot commit then fails.
    Fcitx5TextInjector(Fcitx5Bridge& bridge, TextInjector* fallback, QObject* parent = nullptr);

    // The bridge answered when it was chosen; the fallback needs no permission of its own here.
    bool isTrusted() override { return true; }
    QCoro::Task<void> injectText(QString text, TextInjectionMode mode) override;
    QCoro::Task<void> deleteLastCharacters(int count) override;
    QCoro::Task<void> undo() override;

private:
    // Runs `operation` once the operations started before it have finished.
    QCoro::Task<void> inTurn(std::function<QCoro::Task<void>()> operation);
    QCoro::Task<void> commit(QString text, TextInjectionMode mode);
    QCoro::Task<void> forwardBackspaces(int count);
    QCoro::Task<void> forwardUndo();

    QPointer<Fcitx5Bridge> m_bridge;
    TextInjector* m_fallback;
    quint64 m_nextTicket = 0;
    quint64 m_nowServing = 0;
};

}  // namespace vocena
