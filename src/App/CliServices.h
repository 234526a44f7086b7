#pragma once

#include <memory>

namespace vocena {

class AISettingsStore;
class Preferences;
class TermFrequencyTracker;
class VocabularyStore;

// What the commands work on, made on first use: a command that needs no key never probes
// the secret store, one that needs no vocabulary never loads it.
class CliServices {
public:
    CliServices();
    ~CliServices();

    Preferences& preferences();
    AISettingsStore& aiSettings();
    VocabularyStore& vocabulary();
    TermFrequencyTracker& termTracker();

private:
    std::unique_ptr<AISettingsStore> m_aiSettings;
};

}  // namespace vocena
