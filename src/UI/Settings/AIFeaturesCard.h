#pragma once

#include "UI/Settings/SettingsCard.h"

#include <memory>

namespace vocena {

class Preferences;
class ToggleSettingRow;

// "AI 智能处理": the switch of the model's processing and what it does. On stores
// "com.vocena.ai.mode" 0 and "com.vocena.ai.enabled" true, off 1 and false; on lists the four
// features, off says the raw transcript is typed. Follows the stored mode when it changes
// elsewhere (the menu, `vocena ai`).
class AIFeaturesCard final : public SettingsCard {
    Q_OBJECT
public:
    static constexpr int kWidth = 290;

    explicit AIFeaturesCard(Preferences& preferences, QWidget* parent = nullptr);

    ToggleSettingRow* switchRow() const { return m_switch; }
    QWidget* features() const { return m_features; }
    QWidget* offNotice() const { return m_notice; }

private:
    void storeEnabled(bool enabled);
    void refresh();
    QWidget* buildFeatures();
    QWidget* buildNotice();

    Preferences& m_preferences;
    ToggleSettingRow* m_switch;
    QWidget* m_features;
    QWidget* m_notice;
    std::shared_ptr<void> m_observation;
};

}  // namespace vocena
