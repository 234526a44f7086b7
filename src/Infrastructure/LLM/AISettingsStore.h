#pragma once

#include "Infrastructure/LLM/LLMTypes.h"
#include "Infrastructure/Platform/SecretStore.h"

#include <QCoro/QCoroTask>
#include <QString>
#include <memory>
#include <optional>

namespace vocena {

class Preferences;

// The one place the AI configuration is read from: the switches, the provider and the model
// in the preferences, the API key in the secret store. Reads afresh at every call; the store
// itself only writes the key (for the settings window and the command line).
class AISettingsStore {
public:
    static constexpr const char* kModeKey = "com.vocena.ai.mode";
    static constexpr const char* kEnabledKey = "com.vocena.ai.enabled";
    static constexpr const char* kBaseURLKey = "com.vocena.ai.baseURL";
    static constexpr const char* kTimeoutKey = "com.vocena.ai.timeout";
    static constexpr const char* kModelKey = "com.vocena.ai.model";
    static constexpr const char* kWorkModeKey = "com.vocena.work.mode";
    static constexpr const char* kKeyService = "com.vocena.ai";
    static constexpr const char* kKeyAccount = "apiKey";

    static constexpr const char* kDefaultBaseURL = "https://api.deepseek.com";
    static constexpr const char* kDefaultModel = "deepseek-chat";
    static constexpr double kDefaultTimeout = 10.0;
    // A stored time-out above this (or infinite) reads as this; zero, negative or NaN reads as
    // the default.
    static constexpr double kMaximumTimeout = 300.0;

    AISettingsStore(Preferences& defaults, std::shared_ptr<SecretStore> secrets);

    int aiMode() const;           // 0 = smart processing, 1 = off
    bool aiEnabled() const;
    // Whether a transcript goes to the model: the mode is 0 and the switch is not off. Any
    // other stored mode reads as off. The one reading for the pipeline, the card and the menu.
    static bool processingOn(const Preferences& preferences);
    bool aiProcessingOn() const { return processingOn(m_defaults); }
    // Switches processing on or off, writing the mode and the switch alike from every place
    // that offers it; returns the reason of a failure (empty on success).
    static QString storeProcessingOn(Preferences& preferences, bool on);
    QString aiBaseURL() const;
    double aiTimeout() const;     // the minimum request time-out, seconds
    QString aiModel() const;
    int workMode() const;         // 0 = input method, anything else = voice assistant
    // A work mode for this process only (the command line's --mode); nothing is stored.
    void setWorkModeOverride(std::optional<int> mode) { m_workModeOverride = mode; }

    // Off the caller's thread; an empty or unreadable secret is no key.
    QCoro::Task<std::optional<QString>> loadAPIKeyAsync() const;
    // As loadAPIKeyAsync, telling a keyring that did not answer from no key.
    QCoro::Task<SecretStore::Reading> loadAPIKeyChecked() const;
    QCoro::Task<bool> saveAPIKey(QString key) const;
    QCoro::Task<bool> clearAPIKey() const;

    // The configuration of a model request for this transcript: the stored key, provider and
    // model, and a time-out of max(aiTimeout, min(0.05 s per character, 30 s)).
    LLMConfig makeConfig(const QString& apiKey, const QString& transcript) const;

    Preferences& defaults() const { return m_defaults; }
    const std::shared_ptr<SecretStore>& secrets() const { return m_secrets; }

private:
    Preferences& m_defaults;
    std::shared_ptr<SecretStore> m_secrets;
    std::optional<int> m_workModeOverride;
};

}  // namespace vocena
