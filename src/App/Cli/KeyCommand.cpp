#include "App/Cli/KeyCommand.h"

#include "App/CliServices.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/LLM/AISettingsStore.h"

namespace vocena {

QString KeyCommand::usage() const {
    return QStringLiteral(
        "用法: vocena key set      从标准输入读取 API Key 并保存（例如: vocena key set < key.txt）\n"
        "      vocena key status   显示是否已保存（只显示前五个字符）\n"
        "      vocena key clear    删除已保存的 API Key");
}

QList<CliForm> KeyCommand::forms() const {
    // A key on the command line would end up in the shell's history: refused without echoing it.
    return {{QStringLiteral("set"), {}, {}, QStringLiteral("API Key 只能从标准输入读取")}, {QStringLiteral("status")}, {QStringLiteral("clear")}};
}

QCoro::Task<int> KeyCommand::run(CliCall call, Console& console) {
    if (call.subcommand == QStringLiteral("set")) co_return co_await set(console);
    if (call.subcommand == QStringLiteral("status")) co_return co_await status(console);
    co_return co_await clear(console);
}

QCoro::Task<int> KeyCommand::set(Console& console) {
    const QString key = console.readInputText();
    if (key.isEmpty()) {
        console.err(QStringLiteral("vocena key: 标准输入为空，未保存"));
        co_return ExitUsage;
    }
    if (key.contains(QLatin1Char('\n')) || key.contains(QLatin1Char('\r'))) {
        console.err(QStringLiteral("vocena key: API Key 不能包含换行"));
        co_return ExitUsage;
    }
    QCoro::Task<bool> saving = m_services.aiSettings().saveAPIKey(key);
    const bool saved = co_await std::move(saving);
    if (!saved) {
        console.err(QStringLiteral("vocena key: 无法保存 API Key"));
        co_return ExitFailure;
    }
    console.out(QStringLiteral("API Key 已保存: %1…").arg(Logging::keyPrefix(key)));
    co_return ExitOk;
}

QCoro::Task<int> KeyCommand::status(Console& console) {
    const std::optional<QString> key = co_await m_services.aiSettings().loadAPIKeyAsync();
    if (!key) {
        console.out(QStringLiteral("未保存 API Key"));
        co_return ExitFailure;
    }
    console.out(QStringLiteral("已保存 API Key: %1…").arg(Logging::keyPrefix(*key)));
    co_return ExitOk;
}

QCoro::Task<int> KeyCommand::clear(Console& console) {
    // Plain statements around co_await: g++ 12 resumed a handle it never stored when the
    // keyring's answer came to `if (!co_await ...)` here, and the command crashed.
    QCoro::Task<bool> clearing = m_services.aiSettings().clearAPIKey();
    const bool cleared = co_await std::move(clearing);
    if (!cleared) {
        console.err(QStringLiteral("vocena key: 无法删除 API Key"));
        co_return ExitFailure;
    }
    console.out(QStringLiteral("API Key 已删除"));
    co_return ExitOk;
}

}  // namespace vocena
