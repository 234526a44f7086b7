#pragma once

#include "UI/Settings/SettingsCard.h"

#include <memory>

class QLabel;

namespace vocena {

class ModeOption;
class Preferences;

// "工作模式": the input method (0) and the voice assistant (1) as two choices; choosing one
// stores it under "com.vocena.work.mode" (the next recording uses it). Below them, the
// shortcut of the selected mode. Follows the stored mode when it changes elsewhere (the
// menu, Alt+Ctrl, `vocena config`).
class WorkModeCard final : public SettingsCard {
    Q_OBJECT
public:
    static constexpr int kWidth = 290;

    explicit WorkModeCard(Preferences& preferences, QWidget* parent = nullptr);

    ModeOption* option(int mode) const { return mode == 0 ? m_inputMethod : m_assistant; }
    QLabel* currentShortcut() const { return m_currentShortcut; }

    static QString shortcutLabel(qint64 workMode);

private:
    void choose(int mode);
    void refresh();

    Preferences& m_preferences;
    ModeOption* m_inputMethod;
    ModeOption* m_assistant;
    QLabel* m_currentShortcut;
    std::shared_ptr<void> m_observation;
};

}  // namespace vocena
