#include "UI/Permissions/PermissionSymbols.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vocena::PermissionSymbols {

namespace {

// 24 × 24 shapes; "C" stands for the colour. Cut-outs use the even-odd rule.
QByteArray shape(Symbol symbol) {
    switch (symbol) {
    case Symbol::microphone:
        return R"(<rect x="8" y="2" width="8" height="13" rx="4" fill="C"/>
<path d="M5 11a7 7 0 0 0 14 0" fill="none" stroke="C" stroke-width="2" stroke-linecap="round"/>
<path d="M12 18v3.5M8.5 21.5h7" fill="none" stroke="C" stroke-width="2" stroke-linecap="round"/>)";
    case Symbol::accessibility:
        return R"(<circle cx="12" cy="12" r="10.5" fill="none" stroke="C" stroke-width="1.8"/>
<circle cx="12" cy="6.8" r="1.7" fill="C"/>
<path d="M6.8 9.6l5.2 1.2 5.2-1.2M12 10.8v3.4l-2.6 5M12 14.2l2.6 5" fill="none" stroke="C" stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>)";
    case Symbol::waveform:
        return R"(<path d="M3 10v4M7 6v12M11 3v18M15 7v10M19 9.5v5M22 11v2" fill="none" stroke="C" stroke-width="2.2" stroke-linecap="round"/>)";
    case Symbol::lockShield:
        return R"(<path fill-rule="evenodd" fill="C" d="M12 1.5l8.5 3.2v6.4c0 5.4-3.6 9.6-8.5 11.4-4.9-1.8-8.5-6-8.5-11.4V4.7z
M9.2 10.6V9.3a2.8 2.8 0 0 1 5.6 0v1.3h0.6v5.6H8.6v-5.6zM10.6 10.6h2.8V9.3a1.4 1.4 0 0 0-2.8 0z"/>)";
    case Symbol::checkmarkCircle:
        return R"(<path fill-rule="evenodd" fill="C" d="M12 1.5a10.5 10.5 0 1 1 0 21 10.5 10.5 0 0 1 0-21z
M10.4 16.6l7.2-7.2-1.5-1.5-5.7 5.7-2.6-2.6-1.5 1.5z"/>)";
    case Symbol::warningTriangle:
        return R"(<path d="M12 3L22 20.5H2z" fill="none" stroke="C" stroke-width="1.8" stroke-linejoin="round"/>
<path d="M12 9.5v5.5" stroke="C" stroke-width="2" stroke-linecap="round"/><circle cx="12" cy="17.8" r="1.2" fill="C"/>)";
    }
    return {};
}

}  // namespace

QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio) {
    QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24">)" + shape(symbol) + "</svg>";
    svg.replace("\"C\"", "\"" + color.name(QColor::HexRgb).toLatin1() + "\"");
    QSvgRenderer renderer(svg);
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setOpacity(color.alphaF());
    renderer.render(&painter, QRectF(0, 0, size, size));
    return result;
}

bool isDark(const QPalette& palette) { return palette.color(QPalette::Window).lightness() < 128; }

QColor green(const QPalette& palette) { return isDark(palette) ? QColor(0x30, 0xD1, 0x58) : QColor(0x34, 0xC7, 0x59); }

QColor orange(const QPalette& palette) { return isDark(palette) ? QColor(0xFF, 0x9F, 0x0A) : QColor(0xFF, 0x95, 0x00); }

QColor red(const QPalette& palette) { return isDark(palette) ? QColor(0xFF, 0x45, 0x3A) : QColor(0xFF, 0x3B, 0x30); }

}  // namespace vocena::PermissionSymbols
