#include "UI/Appearance/AppearanceController.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"

#include <QApplication>
#include <QStyle>

namespace vocena {

namespace {
const Logger logger("AppDelegate");
}  // namespace

AppearanceController::AppearanceController(Preferences& preferences)
    : m_preferences(preferences) {
    if (QString::compare(QApplication::style()->name(), QStringLiteral("fusion"), Qt::CaseInsensitive) != 0)
        QApplication::setStyle(QStringLiteral("Fusion"));
    apply();
    m_observation = m_preferences.observe([this] {
        const Theme stored = ThemePalette::themeFromPreference(m_preferences.intValue(QString::fromLatin1(kThemeKey)).value_or(0));
        if (stored != m_applied) apply();
    });
}

AppearanceController::~AppearanceController() = default;

void AppearanceController::apply() {
    const Theme theme = ThemePalette::themeFromPreference(m_preferences.intValue(QString::fromLatin1(kThemeKey)).value_or(0));
    switch (theme) {
    case Theme::light: QApplication::setPalette(ThemePalette::light()); break;
    case Theme::dark: QApplication::setPalette(ThemePalette::dark()); break;
    // A palette with no role set leaves every colour to the platform, and follows it when
    // the desktop's theme changes.
    case Theme::system: QApplication::setPalette(QPalette()); break;
    }
    if (theme != m_applied) logger.debug(QStringLiteral("外观: %1").arg(ThemePalette::themeName(theme)));
    m_applied = theme;
}

}  // namespace vocena
