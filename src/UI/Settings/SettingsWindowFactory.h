#pragma once

#include <QString>
#include <functional>
#include <memory>

namespace vocena {

class Preferences;
class Scheduler;
class SecretStore;
class SettingsWindow;
class VocabularyStore;

// What the settings window's cards read and change.
struct SettingsServices {
    Preferences& preferences;
    Scheduler& scheduler;
    // Applies the stored theme to the app (the appearance controller); empty: nothing applied.
    std::function<void()> applyTheme = {};
    // Registers (true) or removes (false) the start at login; the reason of a failure or empty.
    std::function<QString(bool)> updateLoginItem = {};
    // Where the API key is kept; null: no API card.
    std::shared_ptr<SecretStore> secrets = {};
    // The user's vocabulary; null: no vocabulary card.
    VocabularyStore* vocabulary = nullptr;
};

// Builds the settings window with its cards in their order and widths: work mode, AI
// processing, API, general, vocabulary, speech model. The caller owns the window. The stored
// theme is applied once as the window is built, and again whenever the user picks one.
SettingsWindow* createSettingsWindow(const SettingsServices& services);

}  // namespace vocena
