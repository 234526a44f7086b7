#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
#include <QString>

namespace vocena {

// The tray icon and the menu's symbols: monochrome SVG shapes shipped as Qt resources and
// tinted when drawn, the way a template image takes the colour of the bar it sits in. A tray
// panel's colour is unknown to the app, so every shape gets a thin halo of the opposite
// brightness: a dark glyph stays readable on a dark panel and a light one on a light panel.
class MenuBarIcon {
public:
    // The symbols beside the menu's items.
    enum class Symbol { microphone, headProfile, trash };

    // The tray icon: the palette's text colour when idle, red while recording.
    static QIcon trayIcon(bool recording, const QPalette& palette);
    // A menu symbol in the palette's text colours (normal, highlighted, disabled).
    static QIcon symbol(Symbol symbol, const QPalette& palette);

    // The red of the recording icon.
    static QColor recordingRed() { return QColor(0xFF, 0x3B, 0x30); }
};

}  // namespace vocena
