#pragma once

#include <QColor>
#include <QPalette>
#include <QPixmap>

namespace vocena::OnboardingSymbols {

// The welcome card's guide symbols: the Alt key, a key, two swapping arrows, a closed book.
enum class Symbol { altKey, key, swap, book };

// The symbol in `color` on a disc of the same colour, faintly tinted: `size` × `size`
// device-independent pixels, sharp at `devicePixelRatio`.
QPixmap tintedCircle(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio);

// The system's blue and purple, in their light or dark variant for `palette`.
QColor blue(const QPalette& palette);
QColor purple(const QPalette& palette);

}  // namespace vocena::OnboardingSymbols
