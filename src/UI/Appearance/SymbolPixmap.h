#pragma once

#include <QByteArray>
#include <QColor>
#include <QPixmap>

namespace vocena::SymbolPixmap {

// Draws monochrome SVG shapes made for a 24 × 24 view box in one colour (its alpha becomes the
// opacity). In `shapes`, the attribute value "C" stands for the colour. `size` is in
// device-independent pixels, sharp at `devicePixelRatio`.
QPixmap render(const QByteArray& shapes, const QColor& color, int size, qreal devicePixelRatio);

}  // namespace vocena::SymbolPixmap
