#include "App/DoctorCommand.h"

#include "App/CliServices.h"
#include "App/PermissionReport.h"
#include "App/SpeechSetup.h"
#include "Infrastructure/Platform/Logging.h"
#include "Utils/AISettingsStore.h"

namespace vocena {

QString DoctorCommand::usage() const {
    return QStringLiteral(
        "用法: vocena doctor\n"
        "检查听写需要的三项条件（麦克风、向其他窗口输入、语音模型）和 AI 配置，并说明缺少时怎么办。\n"
        "三项条件都满足时返回 0，否则返回 1。");
}

QList<CliForm> DoctorCommand::forms() const { return {{}}; }

QCoro::Task<int> DoctorCommand::run(CliCall, Console& console) {
    PermissionManager permissions(linuxPermissionProbes(m_services.preferences()));
    co_await permissions.checkAllPermissions();
    for (PermissionType type : PermissionReport::allTypes())
        for (const QString& line : PermissionReport::lines(permissions, type)) console.out(line);

    AISettingsStore& settings = m_services.aiSettings();
    const std::optional<QString> key = co_await settings.loadAPIKeyAsync();
    const bool aiOn = settings.aiEnabled() && settings.aiMode() != 1;
    console.out(QStringLiteral("AI 处理: %1，接口 %2，模型 %3，API Key: %4")
                    .arg(aiOn ? QStringLiteral("开启") : QStringLiteral("关闭"), settings.aiBaseURL(), settings.aiModel(),
                         key ? Logging::keyPrefix(*key) + QStringLiteral("…") : QStringLiteral("未保存")));
    if (aiOn && !key) console.out(QStringLiteral("    没有 API Key 时直接输入识别原文；保存方法: printf '%s' \"$KEY\" | vocena key set"));
    co_return permissions.isMissingRequiredPermissions() ? ExitFailure : ExitOk;
}

}  // namespace vocena
