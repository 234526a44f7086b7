#include "UI/Settings/OptionFrame.h"

#include "UI/Settings/SettingsStyle.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vocena {

OptionFrame::OptionFrame(QWidget* parent) : QFrame(parent) {
    SettingsStyle::setRole(this, SettingsStyle::Role::option);
    SettingsStyle::setSelected(this, false);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void OptionFrame::setSelected(bool selected) {
    if (selected == m_selected) return;
    m_selected = selected;
    SettingsStyle::setSelected(this, selected);
    selectionChanged(selected);
}

void OptionFrame::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void OptionFrame::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click) Q_EMIT clicked();
}

void OptionFrame::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT clicked();
        return;
    }
    QFrame::keyPressEvent(event);
}

}  // namespace vocena
