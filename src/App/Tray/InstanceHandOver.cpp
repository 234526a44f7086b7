#include "App/Tray/InstanceHandOver.h"

#include "App/Cli/CliCommand.h"
#include "Infrastructure/Platform/AppInstance.h"
#include "Infrastructure/Platform/AppInstanceClient.h"

namespace vocena {

QCoro::Task<std::optional<int>> claimOrHandOver(AppInstance& instance, Console& console) {
    if (instance.claim() == AppInstance::Claim::primary) co_return std::nullopt;
    AppInstanceClient app = instance.client();
    if (app.presence() != AppInstanceClient::Presence::running) {
        console.err(QStringLiteral("澄言已在运行（没有 D-Bus 会话总线，无法切换到它）"));
        co_return ExitOk;
    }
    QCoro::Task<QString> activating = app.activate();
    const QString error = co_await std::move(activating);
    if (!error.isEmpty()) {
        console.err(QStringLiteral("澄言已在运行，但没有响应: %1").arg(error));
        co_return ExitFailure;
    }
    console.err(QStringLiteral("澄言已在运行，已切换到正在运行的澄言"));
    co_return ExitOk;
}

}  // namespace vocena
