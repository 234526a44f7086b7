#include "App/ProcessCommand.h"

#include "App/CliServices.h"
#include "App/DryRunTextInjector.h"
#include "App/TypeCommand.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/NotificationCenter.h"
#include "Infrastructure/TextInjection/TextInjectionPlatform.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Utils/AISettingsStore.h"
#include "Utils/TermFrequencyTracker.h"

#include <QCoro/QCoroSignal>
#include <chrono>

namespace vocena {

namespace {

// Alerts of the pipeline, on standard error.
class ConsoleAlerts final : public VoiceInputAlerts {
public:
    explicit ConsoleAlerts(Console& console) : m_console(console) {}
    void showAccessibilityAlert() override {
        m_console.err(QStringLiteral("需要辅助功能权限：无法向当前窗口发送按键（需要带 XTest 扩展的 X 显示服务器，请检查 DISPLAY）"));
    }
    void showInjectionError(const QString& description) override {
        m_console.err(QStringLiteral("文字输入失败：无法将识别的文字输入到当前应用。错误：%1").arg(description));
    }

private:
    Console& m_console;
};

}  // namespace

QString ProcessCommand::usage() const {
    return QStringLiteral(
        "用法: vocena process [--mode input|assistant] [--inject]\n"
        "从标准输入读取一段识别文本，按已保存的设置处理（语音指令、AI 纠错或助手回答）。\n"
        "  --mode input|assistant  本次使用的工作模式（默认读取设置）\n"
        "  --inject                输入到当前焦点窗口；不加时只把结果打印到标准输出，\n"
        "                          按键指令描述在标准错误上，不输入、不学习任何内容");
}

QCoro::Task<int> ProcessCommand::run(QStringList args, Console& console) {
    if (wantsHelp(args)) co_return usageResult(console);
    bool inject = false;
    std::optional<int> workMode;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--inject")) {
            inject = true;
        } else if (args[i] == QStringLiteral("--mode") && i + 1 < args.size() &&
                   (args[i + 1] == QStringLiteral("input") || args[i + 1] == QStringLiteral("assistant"))) {
            workMode = args[++i] == QStringLiteral("input") ? 0 : 1;
        } else {
            co_return usageResult(console, QStringLiteral("参数无效: %1").arg(args[i]));
        }
    }

    QString transcript = QString::fromUtf8(console.readAllInput());
    if (transcript.endsWith(QLatin1Char('\n'))) transcript.chop(1);  // the line end of echo

    AISettingsStore& settings = m_services.aiSettings();
    settings.setWorkModeOverride(workMode);
    DryRunTextInjector dryRun(console);
    ConsoleAlerts alerts(console);
    TextInjector* injector = inject ? static_cast<TextInjector*>(TextInjectionPlatform::shared()) : &dryRun;
    if (!injector) {
        console.err(QStringLiteral("vocena process: 无法连接 X 显示服务器，不能输入文字（检查 DISPLAY）"));
        co_return ExitFailure;
    }
    // A dry run learns nothing; a real one counts the typed terms as the app does.
    std::function<void(const QString&)> feedTerms;
    if (inject) feedTerms = [&tracker = m_services.termTracker()](const QString& text) { tracker.feedInBackground(text); };
    VoiceInputService service({settings, *injector, feedTerms, &alerts, {}});
    QObject context;
    NotificationCenter::defaultCenter().addObserver(Notifications::aiProcessingFallback, &context, [&console](const Notification& n) {
        console.err(n.object.toString());
    });

    service.setRecognizedText(transcript);
    co_await service.processAndInjectText();
    if (service.pendingInjections() > 0) co_await qCoro(&service, &VoiceInputService::injectionsSettled, std::chrono::seconds(60));
    if (inject) {
        m_services.termTracker().waitForIdle();  // the counts reach the file before we exit
        co_await TypeCommand::keepClipboardAfterExit();
    }
    co_return ExitOk;
}

}  // namespace vocena
