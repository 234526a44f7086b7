#include "App/Tray/AppAlerts.h"

#include "UI/Shell/BannerNotifier.h"

#include "Infrastructure/Permissions/PermissionHelp.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>

namespace vocena {

namespace {

void showWarning(const QString& title, const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

}  // namespace

void AppAlerts::showAccessibilityAlert() {
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("需要辅助功能权限"), PermissionHelp::missingTyping(),
                                QMessageBox::NoButton);
    box->setObjectName(QStringLiteral("accessibilityAlert"));
    QPushButton* help = box->addButton(QStringLiteral("打开帮助"), QMessageBox::AcceptRole);
    box->addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box->setDefaultButton(help);
    box->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [help, openHelp = m_openHelp](QAbstractButton* button) {
        if (button != help) return;
        if (openHelp) openHelp();
        else QDesktopServices::openUrl(PermissionHelp::writePage(PermissionType::accessibility));
    });
    box->show();
}

void AppAlerts::showInjectionError(const QString& description) {
    showWarning(QStringLiteral("文字输入失败"), QStringLiteral("无法将识别的文字输入到当前应用。错误：%1").arg(description));
}

void AppAlerts::showTextLeftOnClipboard(const QString& notice) { m_banner.showNotification(notice, kClipboardNoticeDuration); }

void AppAlerts::showTextNotKept(const QString& notice, const QString& text) {
    m_banner.showNotification(notice + QStringLiteral("：\n") + text, kTextNotKeptDuration);
}

}  // namespace vocena
