#pragma once

#include "UI/MenuBar/StatusMenu.h"
#include "UI/MenuBar/StatusMenuState.h"
#include "UI/MenuBar/StatusTrayIcon.h"

#include <QObject>

namespace vocena {

class Scheduler;

// The app's presence in the desktop's tray: the icon and its menu, driven by one state.
// The app shell connects to the menu's requests (menu()) and hands over the state after
// every change of recording, work mode, AI mode or conversation.
class MenuBar final : public QObject {
    Q_OBJECT
public:
    explicit MenuBar(Scheduler& scheduler, QObject* parent = nullptr);
    ~MenuBar() override;

    // Shows the icon, or waits for a tray host.
    void start() { m_trayIcon.start(); }

    void setState(const StatusMenuState& state);
    const StatusMenuState& state() const { return m_menu.state(); }

    StatusMenu& menu() { return m_menu; }
    StatusTrayIcon& trayIcon() { return m_trayIcon; }

protected:
    // A theme change (a new application palette) redraws the icon and the symbols.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    StatusMenu m_menu;  // outlives the icon, which shows it
    StatusTrayIcon m_trayIcon;
};

}  // namespace vocena
