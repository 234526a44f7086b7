#include "App/CliServices.h"

#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Platform/SecretStore.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "Terms/TermFrequencyTracker.h"
#include "Vocabulary/VocabularyStore.h"

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
