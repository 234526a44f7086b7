#include "App/Cli/DryRunTextInjector.h"

#include "App/Cli/CliCommand.h"

namespace vocena {

QCoro::Task<void> DryRunTextInjector::injectText(QString text, TextInjectionMode) {
    m_console.out(text);
    co_return;
}

QCoro::Task<void> DryRunTextInjector::deleteLastCharacters(int count) {
    m_console.err(QStringLiteral("（试运行）按 %1 次退格键").arg(count));
    co_return;
}

QCoro::Task<void> DryRunTextInjector::undo() {
    m_console.err(QStringLiteral("（试运行）按 Ctrl+Z 撤销"));
    co_return;
}

}  // namespace vocena
