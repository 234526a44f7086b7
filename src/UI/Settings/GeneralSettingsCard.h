#pragma once

#include "UI/Settings/SettingsCard.h"

#include <QList>
#include <functional>
#include <memory>

class QLabel;

namespace vocena {

class Preferences;
class ThemeOptionRow;
class ToggleSettingRow;

// "常规设置": the appearance (浅色/深色/自动 → "com.vocena.general.theme" 0/1/2, applied at
// once), start at login ("com.vocena.general.autoLaunch", registered or removed at once; a
// failure is shown in the card and the switch keeps the user's choice) and the silent launch
// ("com.vocena.general.silentLaunch", for the next start), and whether a recording's partial
// text shows in the focused field through fcitx5 ("com.vocena.fcitx5.preedit", default on, read
// at each recording).
class GeneralSettingsCard final : public SettingsCard {
    Q_OBJECT
public:
    static constexpr int kWidth = 300;
    static constexpr const char* kThemeKey = "com.vocena.general.theme";
    static constexpr const char* kAutoLaunchKey = "com.vocena.general.autoLaunch";
    static constexpr const char* kSilentLaunchKey = "com.vocena.general.silentLaunch";

    struct Actions {
        // Applies the stored theme to the app.
        std::function<void()> applyTheme;
        // Registers (true) or removes (false) the start at login; the reason of a failure, or empty.
        std::function<QString(bool)> updateLoginItem;
    };

    GeneralSettingsCard(Preferences& preferences, Actions actions, QWidget* parent = nullptr);

    // Applies the stored theme through `apply` and logs which it is ("主题已切换: 浅色/深色/跟随系统").
    static void applyStoredTheme(Preferences& preferences, const std::function<void()>& apply);

    ThemeOptionRow* themeOption(int value) const { return m_themes.value(value); }
    ToggleSettingRow* autoLaunchRow() const { return m_autoLaunch; }
    ToggleSettingRow* silentLaunchRow() const { return m_silentLaunch; }
    ToggleSettingRow* livePreeditRow() const { return m_livePreedit; }
    QLabel* loginItemError() const { return m_loginItemError; }

private:
    QWidget* buildAppearance();
    QWidget* buildLaunch();
    QWidget* buildInput();
    void chooseTheme(int value);
    void setAutoLaunch(bool enabled);
    void updateLoginItem(bool enabled);
    void store(const char* key, const QJsonValue& value);
    void store(const QString& key, const QJsonValue& value);
    void refresh();

    Preferences& m_preferences;
    Actions m_actions;
    QList<ThemeOptionRow*> m_themes;
    ToggleSettingRow* m_autoLaunch = nullptr;
    ToggleSettingRow* m_silentLaunch = nullptr;
    ToggleSettingRow* m_livePreedit = nullptr;
    QLabel* m_loginItemError = nullptr;
    std::shared_ptr<void> m_observation;
};

}  // namespace vocena
