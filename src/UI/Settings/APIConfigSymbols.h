#pragma once

#include <QColor>
#include <QPixmap>

namespace vocena::APIConfigSymbols {

// The API card's own symbols (the lock shield and the check mark come from PermissionSymbols).
enum class Symbol { key, network, bolt, xmarkCircle };

QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio);

}  // namespace vocena::APIConfigSymbols
