#include "UI/MenuBar/MenuBar.h"

#include <QApplication>
#include <QEvent>

namespace vocena {

MenuBar::MenuBar(Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_trayIcon(m_menu.menu(), scheduler) {
    qApp->installEventFilter(this);
}

MenuBar::~MenuBar() {
    if (qApp) qApp->removeEventFilter(this);
}

bool MenuBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) {
        m_menu.refreshSymbols();
        m_trayIcon.refreshIcon();
    }
    return QObject::eventFilter(watched, event);
}

void MenuBar::setState(const StatusMenuState& state) {
    m_menu.apply(state);
    m_trayIcon.setRecording(state.recording);
}

}  // namespace vocena
