#include "UI/Settings/VocabularySymbols.h"

#include "UI/Appearance/SymbolPixmap.h"

namespace vocena::VocabularySymbols {

namespace {

// 24 × 24 shapes; "C" stands for the colour. Cut-outs use the even-odd rule.
QByteArray shape(Symbol symbol) {
    switch (symbol) {
    case Symbol::bookClosed:
        return R"(<path fill-rule="evenodd" fill="C" d="M6.5 2H19a1 1 0 0 1 1 1v14H6.8a1.8 1.8 0 0 0 0 3.6H20V22H6.8A3.8 3.8 0 0 1 3 18.2V5.5A3.5 3.5 0 0 1 6.5 2z
M8 6.5h8v1.6H8zM8 10h5.5v1.6H8z"/>)";
    case Symbol::magnifyingGlass:
        return R"(<circle cx="10.5" cy="10.5" r="6.5" fill="none" stroke="C" stroke-width="2"/>
<path d="M15.3 15.3L20.5 20.5" fill="none" stroke="C" stroke-width="2.4" stroke-linecap="round"/>)";
    case Symbol::trash:
        return R"(<path d="M3.5 6h17M9 6V3.5h6V6M5.8 6l1 14.5h10.4l1-14.5M10 10v7M14 10v7" fill="none" stroke="C" stroke-width="1.9" stroke-linecap="round" stroke-linejoin="round"/>)";
    case Symbol::plus:
        return R"(<path d="M12 4.5v15M4.5 12h15" fill="none" stroke="C" stroke-width="2.4" stroke-linecap="round"/>)";
    case Symbol::trayArrowDown:
        return R"(<path d="M8 9H6.5A1.5 1.5 0 0 0 5 10.5v9A1.5 1.5 0 0 0 6.5 21h11a1.5 1.5 0 0 0 1.5-1.5v-9A1.5 1.5 0 0 0 17.5 9H16" fill="none" stroke="C" stroke-width="1.9" stroke-linecap="round"/>
<path d="M12 2.5v12M8.5 11l3.5 3.5 3.5-3.5" fill="none" stroke="C" stroke-width="1.9" stroke-linecap="round" stroke-linejoin="round"/>)";
    case Symbol::xmarkCircle:
        return R"(<path fill-rule="evenodd" fill="C" d="M12 1.5a10.5 10.5 0 1 1 0 21 10.5 10.5 0 0 1 0-21z
M8.46 7.05L12 10.59l3.54-3.54 1.41 1.41L13.41 12l3.54 3.54-1.41 1.41L12 13.41l-3.54 3.54-1.41-1.41L10.59 12 7.05 8.46z"/>)";
    }
    return {};
}

}  // namespace

QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio) {
    return SymbolPixmap::render(shape(symbol), color, size, devicePixelRatio);
}

}  // namespace vocena::VocabularySymbols
