#include "UI/Settings/SettingsWindowFactory.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Speech/Models/ModelCatalog.h"
#include "Infrastructure/Speech/Models/ModelStore.h"
#include "UI/Settings/AIFeaturesCard.h"
#include "UI/Settings/APIConfigCard.h"
#include "UI/Settings/GeneralSettingsCard.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Settings/SpeechModelCard.h"
#include "UI/Settings/VocabularySettingsCard.h"
#include "UI/Settings/WorkModeCard.h"

namespace vocena {

SettingsWindow* createSettingsWindow(const SettingsServices& services) {
    Preferences& preferences = services.preferences;
    GeneralSettingsCard::applyStoredTheme(preferences, services.applyTheme);
    auto* window = new SettingsWindow(services.scheduler);
    window->addCard(new WorkModeCard(preferences), WorkModeCard::kWidth);
    window->addCard(new AIFeaturesCard(preferences), AIFeaturesCard::kWidth);
    if (services.secrets)
        window->addCard(new APIConfigCard(preferences, services.scheduler, services.secrets), APIConfigCard::kWidth);
    window->addCard(new GeneralSettingsCard(preferences, {services.applyTheme, services.updateLoginItem}), GeneralSettingsCard::kWidth);
    if (services.vocabulary) window->addCard(new VocabularySettingsCard(*services.vocabulary), VocabularySettingsCard::kWidth);
    // A model chosen here becomes the active model preference, which the running dictation follows.
    window->addCard(new SpeechModelCard(ModelStore::standard(preferences), ModelCatalog::entries(), Clock::system()),
                    SpeechModelCard::kWidth);
    return window;
}

}  // namespace vocena
