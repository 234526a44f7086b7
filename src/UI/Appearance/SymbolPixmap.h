#pragma once

#include <QByteArray>
#include <QColor>
#include <QPixmap>

namespace vocena::SymbolPixmap {

// Draws a monochrome symbol given as the inner elements of a 24 × 24 SVG, in which the
// placeholder colour "C" (fill="C", stroke="C") stands for `color`. `size` in
// device-independent pixels, sharp at `devicePixelRatio`; the colour's alpha is kept.
QPixmap render(const QByteArray& shape, const QColor& color, int size, qreal devicePixelRatio);

}  // namespace vocena::SymbolPixmap
