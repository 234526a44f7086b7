#include "App/DoctorCommand.h"

#include "App/CliServices.h"
#include "App/SpeechSetup.h"
#include "Infrastructure/Permissions/PermissionHelp.h"
#include "Infrastructure/Permissions/X11AccessibilityProbe.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/MicrophoneProbe.h"
#include "Infrastructure/Speech/SherpaOnnxEngine.h"
#include "Utils/AISettingsStore.h"

namespace vocena {

namespace {

QString statusText(PermissionStatus status) {
    switch (status) {
    case PermissionStatus::authorized: return QStringLiteral("已授权");
    case PermissionStatus::notDetermined: return QStringLiteral("未确定");
    case PermissionStatus::denied: return QStringLiteral("未授权");
    case PermissionStatus::restricted: return QStringLiteral("受限");
    }
    return {};
}

void report(Console& console, PermissionType type, PermissionStatus status, const QString& detail) {
    console.out(QStringLiteral("%1: %2%3").arg(rawValue(type), statusText(status), detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail)));
    if (status == PermissionStatus::authorized) return;
    for (const QString& line : PermissionHelp::howTo(type).split(QLatin1Char('\n'))) console.out(QStringLiteral("    ") + line);
}

}  // namespace

QString DoctorCommand::usage() const {
    return QStringLiteral(
        "用法: vocena doctor\n"
        "检查听写需要的三项条件（麦克风、向其他窗口输入、语音模型）和 AI 配置，并说明缺少时怎么办。\n"
        "三项条件都满足时返回 0，否则返回 1。");
}

QList<CliForm> DoctorCommand::forms() const { return {{}}; }

QCoro::Task<int> DoctorCommand::run(CliCall, Console& console) {

    const MicrophoneProbe::Result microphone = MicrophoneProbe::check();
    const bool microphoneOk = microphone.status == MicrophoneProbe::Status::granted;
    report(console, PermissionType::microphone, microphoneOk ? PermissionStatus::authorized : PermissionStatus::denied, microphone.detail);

    const X11AccessibilityProbe::Result display = X11AccessibilityProbe::check();
    const bool displayOk = display.trusted && display.focusQueryWorks;
    report(console, PermissionType::accessibility, displayOk ? PermissionStatus::authorized : PermissionStatus::denied,
           displayOk ? qEnvironmentVariable("DISPLAY") : display.detail);

    const SpeechSetup speech = SpeechSetup::load(m_services.preferences());
    report(console, PermissionType::speechRecognition, speech.status,
           speech.status == PermissionStatus::authorized ? speech.modelName : speech.problem);

    AISettingsStore& settings = m_services.aiSettings();
    const std::optional<QString> key = co_await settings.loadAPIKeyAsync();
    const bool aiOn = settings.aiEnabled() && settings.aiMode() != 1;
    console.out(QStringLiteral("AI 处理: %1，接口 %2，模型 %3，API Key: %4")
                    .arg(aiOn ? QStringLiteral("开启") : QStringLiteral("关闭"), settings.aiBaseURL(), settings.aiModel(),
                         key ? Logging::keyPrefix(*key) + QStringLiteral("…") : QStringLiteral("未保存")));
    if (aiOn && !key) console.out(QStringLiteral("    没有 API Key 时直接输入识别原文；保存方法: printf '%s' \"$KEY\" | vocena key set"));
    co_return microphoneOk && displayOk && speech.status == PermissionStatus::authorized ? ExitOk : ExitFailure;
}

}  // namespace vocena
