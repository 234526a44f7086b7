#pragma once

#include <QColor>
#include <QPixmap>

namespace vocena::VocabularySymbols {

// The monochrome symbols of the vocabulary card and its add sheet.
enum class Symbol { bookClosed, magnifyingGlass, trash, plus, trayArrowDown, xmarkCircle };

// `size` in device-independent pixels, sharp at `devicePixelRatio`.
QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio);

}  // namespace vocena::VocabularySymbols
