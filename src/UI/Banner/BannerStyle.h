#pragma once

#include <QColor>
#include <QFont>

// The banner's colours and fonts. Sizes are device-independent pixels; the banner is always
// drawn dark, whatever the application's palette.
namespace vocena::BannerStyle {

inline QColor brand() { return QColor::fromRgbF(0.92f, 0.25f, 0.35f); }
inline QColor brandEnd() { return QColor::fromRgbF(0.82f, 0.2f, 0.3f); }
// The system colours in their dark-appearance shades.
inline QColor gray() { return QColor(142, 142, 147); }
inline QColor green() { return QColor(48, 209, 88); }
inline QColor orange() { return QColor(255, 159, 10); }
inline QColor purple() { return QColor(191, 90, 242); }
inline QColor red() { return QColor(255, 69, 58); }

inline QColor withAlpha(QColor color, double alpha) {
    color.setAlphaF(float(alpha));
    return color;
}
// The background: translucent over a compositor, opaque without one.
inline QColor background(bool translucent) { return QColor(30, 30, 32, translucent ? 224 : 255); }
constexpr int kCornerRadius = 8;

inline QFont font(int pixelSize, QFont::Weight weight = QFont::Normal) {
    QFont font;
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}
// "color: rgba(...)" for style sheets.
inline QString rgba(const QColor& color) {
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alphaF(), 0, 'f', 2);
}

}  // namespace vocena::BannerStyle
