#include "Infrastructure/LLM/AISettingsStore.h"

#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Platform/SecretStore.h"
#include "Support/TextUtils.h"

#include <algorithm>

namespace vocena {

namespace {
QString key(const char* name) { return QString::fromLatin1(name); }

// A blank text (a field the user emptied, `vocena config set KEY ""`) means "the default".
QString textOrDefault(const std::optional<QString>& stored, const char* fallback) {
    if (!stored || stored->trimmed().isEmpty()) return QString::fromLatin1(fallback);
    return *stored;
}
}  // namespace

AISettingsStore::AISettingsStore(Preferences& defaults, std::shared_ptr<SecretStore> secrets)
    : m_defaults(defaults), m_secrets(std::move(secrets)) {}

int AISettingsStore::aiMode() const { return int(m_defaults.intValue(key(kModeKey)).value_or(0)); }

bool AISettingsStore::aiEnabled() const { return m_defaults.boolValue(key(kEnabledKey)).value_or(true); }

bool AISettingsStore::processingOn(const Preferences& preferences) {
    return preferences.intValue(key(kModeKey)).value_or(0) == 0 && preferences.boolValue(key(kEnabledKey)).value_or(true);
}

QString AISettingsStore::storeProcessingOn(Preferences& preferences, bool on) {
    QString failure = preferences.setValue(key(kModeKey), on ? 0 : 1);
    const QString second = preferences.setValue(key(kEnabledKey), on);
    return failure.isEmpty() ? second : failure;
}

QString AISettingsStore::aiBaseURL() const {
    return textOrDefault(m_defaults.stringValue(key(kBaseURLKey)), kDefaultBaseURL);
}

double AISettingsStore::aiTimeout() const {
    const double stored = m_defaults.doubleValue(key(kTimeoutKey)).value_or(kDefaultTimeout);
    // Checked in floating point: NaN fails every comparison, and a huge value must not reach
    // the conversion to milliseconds.
    if (!(stored > 0)) return kDefaultTimeout;
    return std::min(stored, kMaximumTimeout);
}

QString AISettingsStore::aiModel() const {
    return textOrDefault(m_defaults.stringValue(key(kModelKey)), kDefaultModel);
}

int AISettingsStore::workMode() const {
    if (m_workModeOverride) return *m_workModeOverride;
    return int(m_defaults.intValue(key(kWorkModeKey)).value_or(0));
}

QCoro::Task<std::optional<QString>> AISettingsStore::loadAPIKeyAsync() const {
    auto secrets = m_secrets;  // the store may go away while the read is in flight
    std::optional<QString> value = co_await secrets->read(key(kKeyService), key(kKeyAccount));
    if (value && value->isEmpty()) value.reset();
    co_return value;
}

QCoro::Task<SecretStore::Reading> AISettingsStore::loadAPIKeyChecked() const {
    auto secrets = m_secrets;
    QCoro::Task<SecretStore::Reading> asking = secrets->readChecked(key(kKeyService), key(kKeyAccount));
    SecretStore::Reading reading = co_await std::move(asking);
    if (reading.secret && reading.secret->isEmpty()) reading.secret.reset();
    co_return reading;
}

QCoro::Task<bool> AISettingsStore::saveAPIKey(QString apiKey) const {
    auto secrets = m_secrets;
    co_return co_await secrets->write(key(kKeyService), key(kKeyAccount), apiKey);
}

QCoro::Task<bool> AISettingsStore::clearAPIKey() const {
    auto secrets = m_secrets;
    co_return co_await secrets->remove(key(kKeyService), key(kKeyAccount));
}

LLMConfig AISettingsStore::makeConfig(const QString& apiKey, const QString& transcript) const {
    const double scaled = std::min(TextUtils::graphemeCount(transcript) * 0.05, 30.0);
    return LLMConfig{apiKey, aiBaseURL(), aiModel(), std::max(aiTimeout(), scaled)};
}

}  // namespace vocena
