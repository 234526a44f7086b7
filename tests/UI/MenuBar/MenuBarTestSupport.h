#pragma once

#include <QColor>
#include <QImage>
#include <QPalette>

#include <cstdlib>

namespace vocena::test {

// Light and dark palettes as a theme sets them (the other colours derived from the window's).
inline QPalette lightPalette() { return QPalette(QColor(0xEF, 0xEF, 0xEF)); }
inline QPalette darkPalette() {
    QPalette palette(QColor(0x35, 0x35, 0x35));
    palette.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    return palette;
}

// Opaque pixels of `image` within `tolerance` of `colour` in every channel.
inline int countNear(const QImage& image, const QColor& colour, int tolerance = 40) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x) {
            const QColor pixel = argb.pixelColor(x, y);
            count += pixel.alpha() == 255 && std::abs(pixel.red() - colour.red()) <= tolerance &&
                     std::abs(pixel.green() - colour.green()) <= tolerance && std::abs(pixel.blue() - colour.blue()) <= tolerance;
        }
    return count;
}

}  // namespace vocena::test
