#pragma once

#include "UI/Appearance/ThemePalette.h"
#include "UI/Settings/SettingsStyle.h"

#include <QColor>
#include <QPalette>

namespace vocena {

// The colours the vocabulary card's painted rows and its add sheet use, for the light or the
// dark palette: the settings window's, plus the brand's tint and the scroll bar's handle.
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
        const SettingsStyle::Colors settings = SettingsStyle::colors(dark);
        VocabularyCardColors colors;
        colors.brand = SettingsStyle::brandColor();
        colors.brandLight = settings.selectedRow;
        colors.textPrimary = settings.textPrimary;
        colors.textSecondary = settings.textSecondary;
        colors.cardBg = settings.card;
        colors.rowBg = settings.row;
        colors.separator = settings.border;
        colors.scrollHandle = dark ? QColor(255, 255, 255, 70) : QColor(0, 0, 0, 60);
        return colors;
    }
};

}  // namespace vocena
