#include "App/CliServices.h"

#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Platform/SecretStore.h"
#include "Utils/AISettingsStore.h"
#include "Utils/TermFrequencyTracker.h"
#include "Utils/VocabularyStore.h"

namespace vocena {

CliServices::CliServices() = default;
CliServices::~CliServices() = default;

Preferences& CliServices::preferences() { return Preferences::standard(); }

AISettingsStore& CliServices::aiSettings() {
    if (!m_aiSettings) m_aiSettings = std::make_unique<AISettingsStore>(preferences(), SecretStore::createDefault());
    return *m_aiSettings;
}

VocabularyStore& CliServices::vocabulary() { return VocabularyStore::shared(); }

TermFrequencyTracker& CliServices::termTracker() { return TermFrequencyTracker::shared(); }

}  // namespace vocena
