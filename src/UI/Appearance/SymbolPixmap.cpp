#include "UI/Appearance/SymbolPixmap.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vocena::SymbolPixmap {

namespace {

QPixmap draw(QSvgRenderer& renderer, int size, qreal devicePixelRatio, qreal opacity) {
    QPixmap result(QSize(size, size) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    if (!renderer.isValid()) return result;
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);
    renderer.render(&painter, QRectF(0, 0, size, size));
    return result;
}

}  // namespace

QPixmap render(const QByteArray& shapes, const QColor& color, int size, qreal devicePixelRatio) {
    QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24">)" + shapes + "</svg>";
    svg.replace("\"C\"", "\"" + color.name(QColor::HexRgb).toLatin1() + "\"");
    QSvgRenderer renderer(svg);
    return draw(renderer, size, devicePixelRatio, color.alphaF());
}

QPixmap renderTemplate(const QString& file, const QColor& color, int size, qreal devicePixelRatio) {
    QSvgRenderer renderer(file);
    QPixmap result = draw(renderer, size, devicePixelRatio, 1.0);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(0, 0, size, size), color);
    return result;
}

}  // namespace vocena::SymbolPixmap
