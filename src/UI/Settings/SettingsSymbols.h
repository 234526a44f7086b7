#pragma once

#include <QColor>
#include <QPixmap>

namespace vocena::SettingsSymbols {

// The settings window's monochrome symbols, drawn from small SVG shapes in one colour (the
// same way as the permission guide's, whose shapes they share where the meaning is the same).
enum class Symbol {
    appMark,           // the app's sound wave
    sliders,           // the work-mode card
    microphone,
    headProfile,       // the assistant
    keyboard,
    sparkles,          // the AI card
    checkmarkBubble,
    textAlignLeft,
    quoteBubble,
    number,
    warningTriangle,
    gear,              // the general card
    palette,
    sun,
    moon,
    desktop,
    power,
    key,               // the API card
    lockShield,
    network,
    bolt,
    checkmarkCircle,
    xmarkCircle,
    book,              // the vocabulary card
    magnifyingGlass,
    trash,
    plus,
    trayArrowDown,
    waveform,          // the speech-model card
};

// `size` in device-independent pixels, sharp at `devicePixelRatio`.
QPixmap pixmap(Symbol symbol, const QColor& color, int size, qreal devicePixelRatio);

}  // namespace vocena::SettingsSymbols
