#pragma once

#include "Infrastructure/TextInjection/TextInjector.h"

namespace vocena {

class Console;

// `vocena process` without --inject: prints what would be typed on standard output and
// describes key presses on standard error; nothing reaches the display.
class DryRunTextInjector final : public TextInjector {
public:
    explicit DryRunTextInjector(Console& console) : m_console(console) {}
    bool isTrusted() override { return true; }
    QCoro::Task<void> injectText(QString text, TextInjectionMode mode) override;
    QCoro::Task<void> deleteLastCharacters(int count) override;
    QCoro::Task<void> undo() override;

private:
    Console& m_console;
};

}  // namespace vocena
