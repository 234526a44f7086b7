#include "UI/Appearance/SymbolPixmap.h"

#include <QPainter>
#include <QSvgRenderer>

namespace vocena::SymbolPixmap {

QPixmap render(const QByteArray& shapes, const QColor& color, int size, qreal devicePixelRatio) {
    QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24">)" + shapes + "</svg>";
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

}  // namespace vocena::SymbolPixmap
