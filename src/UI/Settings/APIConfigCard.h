#pragma once

#include "UI/Settings/APIKeySaver.h"
#include "UI/Settings/SettingsCard.h"
#include "Infrastructure/LLM/AISettingsStore.h"

#include <QCoro/QCoroTask>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vocena {

class PreferenceTextField;
class Preferences;
class Scheduler;
class SecretStore;
class WorkItem;

// The settings card of the AI connection: the API key (kept in the secret store), the base
// URL and the model (preferences), and "测试连接", which sends one short request with the
// values as they stand in the fields.
//
// The key is saved half a second after the last keystroke; hiding or destroying the card
// saves a pending key at once. Each time the card appears it loads the stored key off the
// main thread and shows it, unless the user has typed meanwhile; with no key stored and the
// badge never dismissed, the header shows "推荐配置" until the first keystroke.
class APIConfigCard : public SettingsCard {
    Q_OBJECT
public:
    static constexpr int kWidth = 330;
    static constexpr double kSaveDelay = 0.5;
    static constexpr const char* kBadgeSeenKey = "com.vocena.onboarding.settingsBadgeSeen";

    APIConfigCard(Preferences& preferences, Scheduler& scheduler, std::shared_ptr<SecretStore> secrets,
                  QWidget* parent = nullptr);
    ~APIConfigCard() override;

    // Hides the badge and remembers that it was seen (only when it was showing).
    void dismissBadge();
    bool isBadgeShown() const { return m_badgeShown; }
    bool isTesting() const { return m_testing; }

Q_SIGNALS:
    // The key load of an appearance ended (whether or not a key was found).
    void keyLoaded();
    // A save ended: whether the key (or its removal) reached the secret store.
    void keySaved(bool stored);
    void connectionTested(bool success);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildLayout();
    QWidget* fieldTitle(const QString& title, std::optional<SettingsSymbols::Symbol> symbol);
    void onKeyEdited();
    // Starts the pending save now, if there is one.
    void flushPendingSave();
    void onKeySaveFinished(bool stored);
    void setBadgeShown(bool shown);
    QCoro::Task<> loadKeyFromKeychain();
    void startConnectionTest();
    QCoro::Task<> testConnection();
    void showTestResult(std::optional<bool> success, const QString& reason);
    // The test result's colour and symbol, for the current palette.
    void paintTestResult();

    Preferences& m_preferences;
    Scheduler& m_scheduler;
    AISettingsStore m_settings;
    APIKeySaver m_saver;
    std::shared_ptr<WorkItem> m_saveDebounceWork;
    quint64 m_edits = 0;   // key edits by the user so far
    quint64 m_loads = 0;   // key loads started so far
    bool m_badgeShown = false;
    bool m_testing = false;
    std::optional<bool> m_testSuccess;

    QLabel* m_badge = nullptr;
    QLineEdit* m_keyField = nullptr;
    QLabel* m_keyNote = nullptr;
    PreferenceTextField* m_baseURLField = nullptr;
    PreferenceTextField* m_modelField = nullptr;
    QPushButton* m_testButton = nullptr;
    QWidget* m_testResult = nullptr;
    QLabel* m_testResultSymbol = nullptr;
    QLabel* m_testResultText = nullptr;
    QLabel* m_testReason = nullptr;
    QLabel* m_readNote = nullptr;  // the keyring did not answer the last read
};

}  // namespace vocena
