#include "UI/MenuBar/StatusTrayIcon.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "UI/MenuBar/MenuBarIcon.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

namespace vocena {

namespace {

const Logger logger("StatusTrayIcon");

QString stateWord(bool recording) { return recording ? QStringLiteral("录音中") : QStringLiteral("空闲"); }

}  // namespace

StatusTrayIcon::StatusTrayIcon(QMenu* menu, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_menu(menu), m_scheduler(scheduler), m_tray(std::make_unique<QSystemTrayIcon>()) {
    m_tray->setToolTip(QStringLiteral("澄言"));
    m_tray->setContextMenu(menu);
    refreshIcon();
    // A left click opens the same menu as a right click: the icon has nothing else to do. Both
    // open it beside the icon (Qt opens the right click's menu of an embedded icon at the pointer,
    // over the icon; a tray host that draws the menu itself leaves ours hidden).
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && !m_menu->isVisible()) m_menu->popup(menuPosition());
        if (reason == QSystemTrayIcon::Context && m_menu->isVisible()) m_menu->move(menuPosition());
    });
}

StatusTrayIcon::~StatusTrayIcon() = default;

void StatusTrayIcon::start() {
    if (m_started) return;
    m_started = true;
    // Shown even without a host: Qt embeds a shown icon into a tray that starts later.
    m_tray->show();
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        logger.debug(QStringLiteral("菜单栏图标已显示"));
        return;
    }
    logger.notice(QStringLiteral("系统托盘不可用：等待托盘出现后显示托盘图标（录音仍可用双击 Alt 或 vocena toggle）"));
    m_hostPoll = m_scheduler.schedule(hostPollSeconds, [this] { lookForHost(); });
}

void StatusTrayIcon::lookForHost() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        m_hostPoll = m_scheduler.schedule(hostPollSeconds, [this] { lookForHost(); });
        return;
    }
    m_hostPoll.reset();
    logger.info(QStringLiteral("系统托盘已出现，显示菜单栏图标"));
    // Qt embeds a shown icon into an XEmbed tray that appears; showing it again puts it into a
    // host Qt did not follow (an icon in a tray has a place on the screen).
    if (m_tray->geometry().isEmpty()) {
        m_tray->hide();
        m_tray->show();
    }
    Q_EMIT trayHostAppeared();
}

QPoint StatusTrayIcon::menuPosition() const {
    // Above or below the icon, towards the middle of the screen, so that it stays in sight.
    const QRect icon = m_tray->geometry();
    const QScreen* screen = icon.isEmpty() ? nullptr : QGuiApplication::screenAt(icon.center());
    if (!screen) return QCursor::pos();
    const int middle = screen->geometry().y() + screen->geometry().height() / 2;
    if (icon.center().y() > middle) return QPoint(icon.left(), icon.top() - m_menu->sizeHint().height());
    return QPoint(icon.left(), icon.bottom() + 1);
}

void StatusTrayIcon::setRecording(bool recording) {
    if (recording == m_recording) return;
    m_recording = recording;
    refreshIcon();
    logger.debug(QStringLiteral("菜单栏图标已更新: ") + stateWord(recording));
}

void StatusTrayIcon::refreshIcon() {
    m_tray->setIcon(MenuBarIcon::trayIcon(m_recording, QApplication::palette()));
}

}  // namespace vocena
