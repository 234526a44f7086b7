#include "UI/Settings/APIConfigSymbols.h"

#include "UI/Appearance/SymbolPixmap.h"

namespace vocena::APIConfigSymbols {

namespace {

// 24 × 24 shapes; "C" stands for the colour. Cut-outs use the even-odd rule.
QByteArray shape(Symbol symbol) {
    switch (symbol) {
    case Symbol::key:
        return R"(<path fill-rule="evenodd" fill="C" d="M8 3.5a5.5 5.5 0 0 1 5.2 7.3L21.5 19v2.5h-3.5v-2h-2v-2h-2l-2.6-2.6A5.5 5.5 0 1 1 8 3.5z
M6.5 6.5a1.8 1.8 0 1 0 0 3.6 1.8 1.8 0 0 0 0-3.6z"/>)";
    case Symbol::network:
        return R"(<circle cx="12" cy="12" r="9.5" fill="none" stroke="C" stroke-width="1.7"/>
<ellipse cx="12" cy="12" rx="4.2" ry="9.5" fill="none" stroke="C" stroke-width="1.7"/>
<path d="M2.5 12h19M4.2 7h15.6M4.2 17h15.6" fill="none" stroke="C" stroke-width="1.5"/>)";
    case Symbol::bolt:
        return R"(<path fill="C" d="M13.5 1.5L4 13.5h6.5L9.5 22.5 20 9.5h-6.8z"/>)";
    case Symbol::xmarkCircle:
        return R"(<path fill-rule="evenodd" fill="C" d="M12 1.5a10.5 10.5 0 1 1 0 21 10.5 10.5 0 0 1 0-21z
M8.3 7l-1.3 1.3 3.7 3.7-3.7 3.7 1.3 1.3 3.7-3.7 3.7 3.7 1.3-1.3-3.7-3.7 3.7-3.7-1.3-1.3-3.7 3.7z"/>)";
    }
    return {};
}

}  // namespace

QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio) {
    return SymbolPixmap::render(shape(symbol), color, size, devicePixelRatio);
}

}  // namespace vocena::APIConfigSymbols
