#include "UI/Settings/ToggleSwitch.h"

#include "UI/Settings/SettingsStyle.h"

#include <QPainter>

namespace vocena {

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setCursor(Qt::PointingHandCursor);
    setFixedSize(sizeHint());
    setFocusPolicy(Qt::StrongFocus);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const SettingsStyle::Colors colors = SettingsStyle::colors(SettingsStyle::isDarkTheme());
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const qreal radius = track.height() / 2;
    QColor trackColor = isChecked() ? SettingsStyle::brandColor() : colors.border.darker(SettingsStyle::isDarkTheme() ? 70 : 115);
    if (!isEnabled()) trackColor.setAlphaF(0.4f);
    painter.setPen(hasFocus() ? QPen(colors.textSecondary, 1) : Qt::NoPen);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track, radius, radius);
    const qreal knob = track.height() - 4;
    const qreal x = isChecked() ? track.right() - 2 - knob : track.left() + 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
}

}  // namespace vocena
