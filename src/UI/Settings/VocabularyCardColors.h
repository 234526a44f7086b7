#pragma once

#include "UI/Appearance/ThemePalette.h"
#include "UI/Settings/SettingsStyle.h"

#include <QColor>
#include <QPalette>

namespace vocena {

// The colours of the vocabulary card, for the light or the dark palette of the settings window:
// the brand red and its light tint, the two text colours, the card's and the rows' backgrounds,
// borders and the scroll bar's handle.
struct VocabularyCardColors {
    QColor brand;
    QColor brandLight;
    QColor textPrimary;
    QColor textSecondary;
    QColor cardBg;
    QColor rowBg;
    QColor separator;     // borders of fields and sheets
    QColor scrollHandle;

    static bool isDark(const QPalette& palette) { return ThemePalette::isDark(palette); }

    static VocabularyCardColors from(const QPalette& palette) {
        const bool dark = isDark(palette);
        VocabularyCardColors colors;
        colors.brand = SettingsStyle::brandColor();
        colors.brandLight = dark ? QColor(235, 64, 89, 56) : SettingsStyle::brandLight();
        colors.textPrimary = dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
        colors.textSecondary = dark ? QColor(255, 255, 255, 150) : QColor(0, 0, 0, 140);
        colors.cardBg = dark ? QColor(58, 58, 62) : QColor(255, 255, 255);
        colors.rowBg = dark ? QColor(76, 76, 80) : QColor(245, 245, 247);
        colors.separator = dark ? QColor(255, 255, 255, 40) : QColor(0, 0, 0, 30);
        colors.scrollHandle = dark ? QColor(255, 255, 255, 70) : QColor(0, 0, 0, 60);
        return colors;
    }
};

}  // namespace vocena
