#include "App/Cli/AiCommand.h"

#include "App/CliServices.h"
#include "Infrastructure/LLM/ConnectionTest.h"
#include "Infrastructure/LLM/AISettingsStore.h"

namespace vocena {

QString AiCommand::usage() const {
    return QStringLiteral(
        "用法: vocena ai test\n"
        "用已保存的 API Key、Base URL 和模型发送一次测试请求（超时 5 秒）。\n"
        "成功时输出“连接成功”并返回 0，失败时输出“连接失败”和原因并返回 1。");
}

QList<CliForm> AiCommand::forms() const { return {{QStringLiteral("test")}}; }

QCoro::Task<int> AiCommand::run(CliCall, Console& console) {
    const std::optional<QString> key = co_await m_services.aiSettings().loadAPIKeyAsync();
    const ConnectionTestResult result =
        co_await ConnectionTest::run(key.value_or(QString()), m_services.aiSettings().aiBaseURL(), m_services.aiSettings().aiModel());
    if (result.success) {
        console.out(result.message);
        co_return ExitOk;
    }
    console.out(QStringLiteral("%1: %2").arg(result.message, result.reason));
    co_return ExitFailure;
}

}  // namespace vocena
