#pragma once

#include <QColor>
#include <QPixmap>
#include <QPalette>

namespace vocena::PermissionSymbols {

// The guide's monochrome symbols, drawn from small SVG shapes in one colour.
enum class Symbol { microphone, accessibility, waveform, lockShield, checkmarkCircle, warningTriangle };

// `size` in device-independent pixels, sharp at `devicePixelRatio`.
QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio);

// The system's green, orange and red, in their light or dark variant for `palette`.
QColor green(const QPalette& palette);
QColor orange(const QPalette& palette);
QColor red(const QPalette& palette);
bool isDark(const QPalette& palette);

}  // namespace vocena::PermissionSymbols
