#include "UI/Onboarding/OnboardingSymbols.h"

#include "UI/Appearance/SymbolPixmap.h"
#include "UI/Permissions/PermissionSymbols.h"

#include <QPainter>

namespace vocena::OnboardingSymbols {

namespace {

// 24 × 24 shapes; "C" stands for the colour. Cut-outs use the even-odd rule.
QByteArray shape(Symbol symbol) {
    switch (symbol) {
    case Symbol::altKey:
        return R"(<rect x="0.8" y="3.8" width="22.4" height="16.4" rx="3.5" fill="none" stroke="C" stroke-width="1.6"/>
<text x="12" y="15.6" text-anchor="middle" font-family="sans-serif" font-weight="bold" font-size="10" fill="C">Alt</text>)";
    case Symbol::key:
        return R"(<path fill-rule="evenodd" fill="C" d="M7.5 6.5a5.5 5.5 0 1 1 0 11 5.5 5.5 0 0 1 0-11zM6.4 10a2 2 0 1 0 0 4 2 2 0 0 0 0-4z"/>
<path fill="C" d="M12.5 10.6h9.5v2.8h-1.6v3h-2.4v-3h-1.2v2.2h-2.4v-2.2h-1.9z"/>)";
    case Symbol::swap:
        return R"(<path d="M3.5 8h15M15 4.3L18.7 8 15 11.7M20.5 16h-15M9 12.3L5.3 16 9 19.7" fill="none" stroke="C" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>)";
    case Symbol::book:
        return R"(<path fill-rule="evenodd" fill="C" d="M6.5 2.5h12a1.5 1.5 0 0 1 1.5 1.5v13.5H6.8a1.3 1.3 0 0 0 0 2.6H20V22H6.8A3.3 3.3 0 0 1 3.5 18.7V5.5a3 3 0 0 1 3-3z
M8.5 6.5v1.8h8V6.5zM8.5 10v1.8h5.5V10z"/>)";
    }
    return {};
}

}  // namespace

QPixmap tintedCircle(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio) {
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor disc = color;
    disc.setAlphaF(0.16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(0, 0, size, size));
    const int glyph = size * 3 / 5;
    const qreal inset = (size - glyph) / 2.0;
    painter.drawPixmap(QPointF(inset, inset), SymbolPixmap::render(shape(symbol), color, glyph, devicePixelRatio));
    return result;
}

QColor blue(const QPalette& palette) {
    return PermissionSymbols::isDark(palette) ? QColor(0x0A, 0x84, 0xFF) : QColor(0x00, 0x7A, 0xFF);
}

QColor purple(const QPalette& palette) {
    return PermissionSymbols::isDark(palette) ? QColor(0xBF, 0x5A, 0xF2) : QColor(0xAF, 0x52, 0xDE);
}

}  // namespace vocena::OnboardingSymbols
