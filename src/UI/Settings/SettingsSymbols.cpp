#include "UI/Settings/SettingsSymbols.h"

#include "UI/Appearance/SymbolPixmap.h"
#include "UI/Permissions/PermissionSymbols.h"

#include <optional>

namespace vocena::SettingsSymbols {

namespace {

// Symbols the permission guide draws already.
std::optional<PermissionSymbols::Symbol> sharedSymbol(Symbol symbol) {
    switch (symbol) {
    case Symbol::microphone: return PermissionSymbols::Symbol::microphone;
    case Symbol::warningTriangle: return PermissionSymbols::Symbol::warningTriangle;
    case Symbol::lockShield: return PermissionSymbols::Symbol::lockShield;
    case Symbol::checkmarkCircle: return PermissionSymbols::Symbol::checkmarkCircle;
    case Symbol::waveform: return PermissionSymbols::Symbol::waveform;
    default: return std::nullopt;
    }
}

// Template SVGs of the tray's menu, tinted when drawn.
QString templateFile(Symbol symbol) {
    switch (symbol) {
    case Symbol::appMark: return QStringLiteral(":/vocena/menubar/vocena-tray.svg");
    case Symbol::headProfile: return QStringLiteral(":/vocena/menubar/head-profile.svg");
    default: return {};
    }
}

// 24 × 24 shapes; "C" stands for the colour. Cut-outs use the even-odd rule.
QByteArray shape(Symbol symbol) {
    switch (symbol) {
    case Symbol::sliders:
        return R"(<path d="M3 6h18M3 12h18M3 18h18" stroke="C" stroke-width="1.8" stroke-linecap="round"/>
<circle cx="15" cy="6" r="2.6" fill="C"/><circle cx="8" cy="12" r="2.6" fill="C"/><circle cx="17" cy="18" r="2.6" fill="C"/>)";
    case Symbol::keyboard:
        return R"(<rect x="1.8" y="5.5" width="20.4" height="13" rx="2.2" fill="none" stroke="C" stroke-width="1.7"/>
<path d="M5.5 9.5h1M9 9.5h1M12.5 9.5h1M16 9.5h2.5M5.5 12.5h2.5M10.5 12.5h1M14 12.5h1M17 12.5h1.5M8 15.5h8" stroke="C" stroke-width="1.7" stroke-linecap="round"/>)";
    case Symbol::sparkles:
        return R"(<path d="M10 2.5l1.9 5.6 5.6 1.9-5.6 1.9L10 17.5l-1.9-5.6L2.5 10l5.6-1.9z" fill="C"/>
<path d="M18 14l.95 2.55L21.5 17.5l-2.55.95L18 21l-.95-2.55-2.55-.95 2.55-.95z" fill="C"/>)";
    case Symbol::checkmarkBubble:
        return R"(<path fill-rule="evenodd" fill="C" d="M12 2.5c5.5 0 10 3.7 10 8.3s-4.5 8.3-10 8.3c-1 0-2-.1-2.9-.4L4 21.5l1.2-4.1C3.2 15.9 2 13.5 2 10.8 2 6.2 6.5 2.5 12 2.5z
M10.8 14.6l5.8-5.8-1.4-1.4-4.4 4.4-2.2-2.2-1.4 1.4z"/>)";
    case Symbol::textAlignLeft:
        return R"(<path d="M3.5 5h17M3.5 9.7h11M3.5 14.3h17M3.5 19h11" stroke="C" stroke-width="2" stroke-linecap="round"/>)";
    case Symbol::quoteBubble:
        return R"(<path d="M12 3c5.2 0 9.3 3.5 9.3 7.8s-4.1 7.8-9.3 7.8c-1 0-1.9-.1-2.8-.4L4.3 21l1.1-3.8C3.8 15.8 2.7 13.4 2.7 10.8 2.7 6.5 6.8 3 12 3z" fill="none" stroke="C" stroke-width="1.7" stroke-linejoin="round"/>
<path d="M8 12.5c0-2 .8-3.2 2.3-3.8M12.8 12.5c0-2 .8-3.2 2.3-3.8" stroke="C" stroke-width="1.9" stroke-linecap="round" fill="none"/>
<circle cx="9" cy="12.3" r="1.3" fill="C"/><circle cx="13.8" cy="12.3" r="1.3" fill="C"/>)";
    case Symbol::number:
        return R"(<path d="M9.5 3.5L7.5 20.5M16.5 3.5l-2 17M4 8.5h16.5M3.5 15.5H20" stroke="C" stroke-width="2" stroke-linecap="round"/>)";
    case Symbol::gear:
        return R"(<circle cx="12" cy="12" r="8.6" fill="none" stroke="C" stroke-width="3.4" stroke-dasharray="3.38 3.38"/>
<path fill-rule="evenodd" fill="C" d="M12 4.6a7.4 7.4 0 1 1 0 14.8 7.4 7.4 0 0 1 0-14.8zM12 9a3 3 0 1 0 0 6 3 3 0 0 0 0-6z"/>)";
    case Symbol::palette:
        return R"(<path fill-rule="evenodd" fill="C" d="M12 2C6.5 2 2 6.2 2 11.5S6.3 21 11.5 21c1.5 0 2.3-.8 2.3-1.9 0-1.2-1-1.6-1-2.7 0-1.1.9-1.9 2-1.9h2.3c2.8 0 4.9-2.1 4.9-4.8C22 5.6 17.5 2 12 2z
M6.8 10.2a1.6 1.6 0 1 0 0 3.2 1.6 1.6 0 0 0 0-3.2zM9.6 5.9a1.6 1.6 0 1 0 0 3.2 1.6 1.6 0 0 0 0-3.2zM14.6 5.9a1.6 1.6 0 1 0 0 3.2 1.6 1.6 0 0 0 0-3.2zM17.6 9.6a1.6 1.6 0 1 0 0 3.2 1.6 1.6 0 0 0 0-3.2z"/>)";
    case Symbol::sun:
        return R"(<circle cx="12" cy="12" r="4.6" fill="C"/>
<path d="M12 1.8v2.6M12 19.6v2.6M1.8 12h2.6M19.6 12h2.6M4.8 4.8l1.8 1.8M17.4 17.4l1.8 1.8M4.8 19.2l1.8-1.8M17.4 6.6l1.8-1.8" stroke="C" stroke-width="2" stroke-linecap="round"/>)";
    case Symbol::moon:
        return R"(<path fill="C" d="M14.5 2.6A9.6 9.6 0 1 0 21.4 15 7.7 7.7 0 0 1 14.5 2.6z"/>)";
    case Symbol::desktop:
        return R"(<rect x="2" y="3.5" width="20" height="13" rx="2" fill="none" stroke="C" stroke-width="1.8"/>
<path d="M10 16.5l-.8 3.5M14 16.5l.8 3.5M7.5 20.5h9" stroke="C" stroke-width="1.8" stroke-linecap="round"/>)";
    case Symbol::power:
        return R"(<path d="M7.2 5.6a8.2 8.2 0 1 0 9.6 0" fill="none" stroke="C" stroke-width="2.2" stroke-linecap="round"/>
<path d="M12 2.5v9" stroke="C" stroke-width="2.2" stroke-linecap="round"/>)";
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
M8.46 7.05L12 10.59l3.54-3.54 1.41 1.41L13.41 12l3.54 3.54-1.41 1.41L12 13.41l-3.54 3.54-1.41-1.41L10.59 12 7.05 8.46z"/>)";
    case Symbol::book:
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
    default: return {};
    }
}

}  // namespace

QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio) {
    if (const auto shared = sharedSymbol(symbol)) return PermissionSymbols::pixmap(*shared, color, size, devicePixelRatio);
    const QString file = templateFile(symbol);
    if (!file.isEmpty()) return SymbolPixmap::renderTemplate(file, color, size, devicePixelRatio);
    return SymbolPixmap::render(shape(symbol), color, size, devicePixelRatio);
}

}  // namespace vocena::SettingsSymbols
