#pragma once

#include "Infrastructure/TextInjection/TextInjector.h"

#include <QStringList>
#include <optional>

namespace vocena::test {

// Records what would have been typed, for tests of the logic around typing (the real typing
// is tested under Xvfb).
class RecordingTextInjector final : public TextInjector {
public:
    bool trusted = true;
    std::optional<TextInjectionError::Kind> failTyping;  // how typing fails, if it does
    QStringList typed;   // each injected text
    QStringList events;  // "backspace×N", "undo"

    bool isTrusted() override { return trusted; }
    QCoro::Task<void> injectText(QString text, TextInjectionMode) override {
        if (failTyping) throw TextInjectionError(*failTyping);
        typed << text;
        co_return;
    }
    QCoro::Task<void> deleteLastCharacters(int count) override {
        events << QStringLiteral("backspace×%1").arg(count);
        co_return;
    }
    QCoro::Task<void> undo() override {
        events << QStringLiteral("undo");
        co_return;
    }
};

}  // namespace vocena::test
