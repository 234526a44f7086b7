#include "App/Cli/AppActionCommand.h"

#include "Infrastructure/Platform/AppInstanceClient.h"

namespace vocena {

QString AppActionCommand::usage() const {
    return QStringLiteral("用法: vocena %1\n%2。\n通过 D-Bus 会话总线联系正在运行的澄言；澄言未运行时显示“澄言未运行”，退出码为 1。")
        .arg(m_name, m_summary);
}

QCoro::Task<int> AppActionCommand::run(CliCall, Console& console) {
    AppInstanceClient app;
    switch (app.presence()) {
    case AppInstanceClient::Presence::notRunning:
        console.err(QStringLiteral("澄言未运行"));
        co_return ExitFailure;
    case AppInstanceClient::Presence::runningWithoutBus:
        console.err(QStringLiteral("vocena %1: 澄言在运行，但没有 D-Bus 会话总线，无法联系它").arg(m_name));
        co_return ExitFailure;
    case AppInstanceClient::Presence::running:
        break;
    }
    QCoro::Task<QString> calling = app.activateAction(m_action);
    const QString error = co_await std::move(calling);
    if (error.isEmpty()) co_return ExitOk;
    console.err(QStringLiteral("vocena %1: 澄言没有响应: %2").arg(m_name, error));
    co_return ExitFailure;
}

}  // namespace vocena
