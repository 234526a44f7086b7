#include "UI/Settings/SettingsWindowFactory.h"

#include "UI/Settings/AIFeaturesCard.h"
#include "UI/Settings/GeneralSettingsCard.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Settings/WorkModeCard.h"

namespace vocena {

SettingsWindow* createSettingsWindow(const SettingsServices& services) {
    Preferences& preferences = services.preferences;
    GeneralSettingsCard::applyStoredTheme(preferences, services.applyTheme);
    auto* window = new SettingsWindow(services.scheduler);
    window->addCard(new WorkModeCard(preferences), WorkModeCard::kWidth);
    window->addCard(new AIFeaturesCard(preferences), AIFeaturesCard::kWidth);
    // The API card (330) goes here.
    window->addCard(new GeneralSettingsCard(preferences, {services.applyTheme, services.updateLoginItem}), GeneralSettingsCard::kWidth);
    // The vocabulary card (300) and the speech-model card (330) go here.
    return window;
}

}  // namespace vocena
