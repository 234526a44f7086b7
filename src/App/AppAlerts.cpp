#include "App/AppAlerts.h"

#include "UI/Shell/BannerNotifier.h"

#include <QMessageBox>

namespace vocena {

namespace {

void showWarning(const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

}  // namespace

void AppAlerts::showAccessibilityAlert() {
    showWarning(QStringLiteral("需要辅助功能权限"),
                QStringLiteral("无法向当前窗口发送按键：需要带 XTest 扩展的 X 显示服务器（vocena doctor 可检查）。"));
}

void AppAlerts::showInjectionError(const QString& description) {
    showWarning(QStringLiteral("文字输入失败"), QStringLiteral("无法将识别的文字输入到当前应用。错误：%1").arg(description));
}

void AppAlerts::showTextLeftOnClipboard(const QString& notice) { m_banner.showNotification(notice, kClipboardNoticeDuration); }

void AppAlerts::showTextNotKept(const QString& notice, const QString& text) {
    m_banner.showNotification(notice + QStringLiteral("：\n") + text, kTextNotKeptDuration);
}

}  // namespace vocena
