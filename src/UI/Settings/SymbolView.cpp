#include "UI/Settings/SymbolView.h"

#include "UI/Permissions/PermissionSymbols.h"
#include "UI/Settings/SettingsStyle.h"

#include <QApplication>
#include <QPainter>

namespace vocena {

SymbolView::SymbolView(SettingsSymbols::Symbol symbol, int symbolSize, Tint tint, QWidget* parent)
    : QWidget(parent), m_symbol(symbol), m_symbolSize(symbolSize), m_tint(tint) {
    updateSize();
}

void SymbolView::setSymbol(SettingsSymbols::Symbol symbol) {
    m_symbol = symbol;
    update();
}

void SymbolView::setTint(Tint tint) {
    m_tint = tint;
    update();
}

void SymbolView::setDisc(std::optional<Tint> disc, int diameter) {
    m_disc = disc;
    m_discDiameter = disc ? diameter : 0;
    updateSize();
    update();
}

void SymbolView::updateSize() {
    const int side = std::max(m_symbolSize, m_discDiameter);
    setFixedSize(side, side);
}

QColor SymbolView::color(Tint tint) {
    const SettingsStyle::Colors colors = SettingsStyle::colors(SettingsStyle::isDarkTheme());
    switch (tint) {
    case Tint::brand: return SettingsStyle::brandColor();
    case Tint::primary: return colors.textPrimary;
    case Tint::secondary: return colors.textSecondary;
    case Tint::white: return Qt::white;
    case Tint::warning: return PermissionSymbols::orange(QApplication::palette());
    case Tint::row: return colors.row;
    case Tint::muted: return colors.border;
    }
    return colors.textPrimary;
}

void SymbolView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();
    if (m_disc) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(color(*m_disc));
        const QRectF disc(0, 0, m_discDiameter, m_discDiameter);
        painter.drawEllipse(disc.translated(area.center() - disc.center()));
    }
    const QPixmap symbol = SettingsSymbols::pixmap(m_symbol, color(m_tint), m_symbolSize, devicePixelRatioF());
    const QPointF topLeft = area.center() - QPointF(m_symbolSize / 2.0, m_symbolSize / 2.0);
    painter.drawPixmap(topLeft, symbol);
}

}  // namespace vocena
