#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

namespace vocena {

class AISettingsStore;
class BannerNotifier;
class Preferences;
class Scheduler;
class WelcomeWindow;
class WorkItem;

// The shell's side of the welcome card: shows it three seconds after a normal launch until
// the user has left it once through one of its buttons, hands over to the settings from its
// "去设置", and afterwards reminds once, in the banner, that no API key is stored yet.
// Main thread.
class WelcomeFlow final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kWelcomeShownKey = "com.vocena.onboarding.welcomeShown";
    static constexpr const char* kAPINudgeShownKey = "com.vocena.onboarding.apiNudgeShown";
    static constexpr double kLaunchDelay = 3.0;
    static constexpr double kSettingsDelay = 0.3;
    static constexpr double kNudgeDuration = 5.0;
    static QString nudgeText() { return QStringLiteral("配置 API Key 解锁 AI 智能纠错，点击托盘图标 → 设置"); }

    struct Environment {
        Preferences& preferences;
        Scheduler& scheduler;
        BannerNotifier& banner;
        // Where the API key is looked up; null: unknown, so no reminder.
        const AISettingsStore* aiSettings;
        // Opens the settings window.
        std::function<void()> showSettings;
        // The card's window is closing, whichever way.
        std::function<void()> windowWillClose;
    };

    explicit WelcomeFlow(Environment environment, QObject* parent = nullptr);
    ~WelcomeFlow() override;

    // The card, kLaunchDelay seconds from now, unless it was left through its buttons before.
    void scheduleAfterLaunch();
    // Opens the card unless it is open already.
    void showWelcomeCard();
    // When no API key is stored and the reminder was never shown: shows it and remembers that.
    // The key is read off the main thread.
    QCoro::Task<> showAPINudgeIfNeeded();

    // The card's window while it is open; else null.
    WelcomeWindow* window() const;

private:
    void finish();
    void openSettings();
    void rememberWelcomeShown();
    bool flag(const char* key) const;
    void setFlag(const char* key);
    void windowClosing();

    Environment m_env;
    QPointer<WelcomeWindow> m_window;
    std::shared_ptr<WorkItem> m_launchWork;
    std::shared_ptr<WorkItem> m_settingsWork;
};

}  // namespace vocena
