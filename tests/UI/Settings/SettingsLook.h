#pragma once

#include "UI/Appearance/ThemePalette.h"
#include "UI/Settings/SettingsStyle.h"

#include <QWidget>

namespace vocena::test {

// For a screenshot of a card shown on its own: the settings window's style sheet on the card's
// window, as the window gives it to its cards. Only while screenshots are taken
// (VOCENA_SCREENSHOTS), so the tests themselves run as they always do.
inline void styleLikeTheSettingsWindow(QWidget* widget) {
    if (qEnvironmentVariableIsEmpty("VOCENA_SCREENSHOTS")) return;
    QWidget* window = widget->window();
    window->setObjectName(QStringLiteral("settingsScreenshotRoot"));
    window->setStyleSheet(SettingsStyle::styleSheet(ThemePalette::isDark(window->palette()), window->objectName()));
}

}  // namespace vocena::test
