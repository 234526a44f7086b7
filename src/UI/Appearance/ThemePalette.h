#pragma once

#include <QPalette>
#include <QString>

namespace vocena {

// The appearance stored under "com.vocena.general.theme": 0 = light, 1 = dark, 2 = follow
// the system; any other value reads as light. The enumerators keep the stored values.
enum class Theme { light = 0, dark = 1, system = 2 };

namespace ThemePalette {

Theme themeFromPreference(qint64 value);
// "浅色", "深色", "跟随系统".
QString themeName(Theme theme);

// Whether `palette` is a dark one (its window colour is dark): what the app looks like now,
// whichever theme chose it.
bool isDark(const QPalette& palette);

// The Fusion style's own light palette, and a dark one with the same roles.
QPalette light();
QPalette dark();

}  // namespace ThemePalette
}  // namespace vocena
