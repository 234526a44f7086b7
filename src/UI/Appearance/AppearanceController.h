#pragma once

#include "UI/Appearance/ThemePalette.h"

#include <QPalette>
#include <QString>
#include <memory>
#include <optional>

namespace vocena {

class Preferences;

// Applies the stored appearance to the whole application: the Fusion style with a light or
// a dark palette, or the platform's own palette to follow the system. Applied at construction, again by apply() (when the app becomes active)
// and whenever the preference changes. Main thread; needs a QApplication.
class AppearanceController {
public:
    static constexpr const char* kThemeKey = "com.vocena.general.theme";

    explicit AppearanceController(Preferences& preferences);
    ~AppearanceController();
    AppearanceController(const AppearanceController&) = delete;
    AppearanceController& operator=(const AppearanceController&) = delete;

    void apply();
    std::optional<Theme> appliedTheme() const { return m_applied; }

private:
    Preferences& m_preferences;
    std::optional<Theme> m_applied;
    std::shared_ptr<void> m_observation;
};

}  // namespace vocena
