#pragma once

#include <QPalette>

namespace vocena {

// The appearance stored under "com.vocena.general.theme": 0 = light, 1 = dark, 2 = follow
// the system; any other value reads as light.
enum class Theme { light, dark, system };

namespace ThemePalette {

Theme themeFromPreference(qint64 value);

// The Fusion style's own light palette, and a dark one with the same roles.
QPalette light();
QPalette dark();

}  // namespace ThemePalette
}  // namespace vocena
