#pragma once

#include <QByteArray>
#include <QColor>
#include <QPixmap>

namespace vocena::SymbolPixmap {

// Draws a monochrome symbol given as SVG shapes on a 24 × 24 grid in which "C" stands for the
// colour: `size` device-independent pixels square, sharp at `devicePixelRatio`. The colour's
// alpha becomes the symbol's opacity.
QPixmap render(const QByteArray& shapes, const QColor& color, int size, qreal devicePixelRatio);
// The same for a template SVG file or resource (its shapes in any colour): every drawn pixel
// takes `color`. A transparent pixmap when the file cannot be read.
QPixmap renderTemplate(const QString& file, const QColor& color, int size, qreal devicePixelRatio);

}  // namespace vocena::SymbolPixmap
