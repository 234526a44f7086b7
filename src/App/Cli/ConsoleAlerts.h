#pragma once

#include "App/Cli/CliCommand.h"
#include "Core/VoiceInputServiceDelegate.h"
#include "Infrastructure/Platform/NotificationCenter.h"

#include <QObject>

namespace vocena {

// The pipeline's alerts, and its notices that the model's output was dropped, on standard
// error, for the commands that run the pipeline. Remembers whether typing failed (the command
// then exits with 1).
class ConsoleAlerts final : public VoiceInputAlerts {
public:
    explicit ConsoleAlerts(Console& console) : m_console(console) {
        NotificationCenter::defaultCenter().addObserver(Notifications::aiProcessingFallback, &m_context,
                                                        [&console](const Notification& n) { console.err(n.object.toString()); });
    }
    void showAccessibilityAlert() override {
        m_typingFailed = true;
        m_console.err(QStringLiteral("需要辅助功能权限：无法向当前窗口发送按键（需要带 XTest 扩展的 X 显示服务器，请检查 DISPLAY）"));
    }
    void showInjectionError(const QString& description) override {
        m_typingFailed = true;
        m_console.err(QStringLiteral("文字输入失败：无法将识别的文字输入到当前应用。错误：%1").arg(description));
    }
    void showTextLeftOnClipboard(const QString& notice) override {
        m_typingFailed = true;
        m_console.err(notice);
    }
    bool typingFailed() const { return m_typingFailed; }

private:
    Console& m_console;
    bool m_typingFailed = false;
    QObject m_context;  // the observer goes with it
};

}  // namespace vocena
