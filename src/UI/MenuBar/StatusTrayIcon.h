#pragma once

#include <QObject>
#include <QPoint>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace vocena {

class Scheduler;
class WorkItem;

// The icon in the desktop's tray, with the status menu on a right click and on a left click.
// Without a tray host the app keeps working (the gesture and the banner need none): the
// icon waits, looking for a host every few seconds, and shows as soon as one appears.
class StatusTrayIcon final : public QObject {
    Q_OBJECT
public:
    static constexpr double hostPollSeconds = 5.0;

    StatusTrayIcon(QMenu* menu, Scheduler& scheduler, QObject* parent = nullptr);
    ~StatusTrayIcon() override;

    // Puts the icon into the tray, or starts waiting for one.
    void start();
    // The recording icon is red, the idle one takes the theme's text colour.
    void setRecording(bool recording);

    // Draws the icon again in the colours of the application's palette.
    void refreshIcon();

    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }

Q_SIGNALS:
    // A host appeared after the icon had waited for one.
    void trayHostAppeared();

private:
    void lookForHost();
    QPoint menuPosition() const;

    QMenu* m_menu;
    Scheduler& m_scheduler;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::shared_ptr<WorkItem> m_hostPoll;
    bool m_recording = false;
    bool m_started = false;
};

}  // namespace vocena
