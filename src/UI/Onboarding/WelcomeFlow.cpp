#include "UI/Onboarding/WelcomeFlow.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Onboarding/WelcomeWindow.h"
#include "UI/Shell/BannerNotifier.h"
#include "Infrastructure/LLM/AISettingsStore.h"

namespace vocena {

namespace {

const Logger logger("AppDelegate");

}  // namespace

WelcomeFlow::WelcomeFlow(Environment environment, QObject* parent) : QObject(parent), m_env(std::move(environment)) {}

WelcomeFlow::~WelcomeFlow() {
    if (!m_window) return;
    // Going with the shell: the window closes without calling back into it.
    m_window->disconnect(this);
    delete m_window.data();
}

WelcomeWindow* WelcomeFlow::window() const { return m_window.data(); }

void WelcomeFlow::scheduleAfterLaunch() {
    QPointer self{this};
    m_launchWork = m_env.scheduler.schedule(kLaunchDelay, [self] {
        if (self && !self->flag(kWelcomeShownKey)) self->showWelcomeCard();
    });
}

void WelcomeFlow::showWelcomeCard() {
    if (m_window) return;
    QPointer self{this};
    auto* window = new WelcomeWindow(
        m_env.scheduler,
        [self](bool) {
            if (self) self->finish();
        },
        [self] {
            if (self) self->openSettings();
        });
    connect(window, &WelcomeWindow::windowWillClose, this, &WelcomeFlow::windowClosing);
    m_window = window;
    window->present();
}

void WelcomeFlow::windowClosing() {
    m_window.clear();
    if (m_env.windowWillClose) m_env.windowWillClose();
}

// "不再提示" and "开始使用" end the same way: the card is not shown at later launches.
void WelcomeFlow::finish() {
    rememberWelcomeShown();
    showAPINudgeIfNeeded();
}

void WelcomeFlow::openSettings() {
    rememberWelcomeShown();
    QPointer self{this};
    m_settingsWork = m_env.scheduler.schedule(kSettingsDelay, [self] {
        if (!self) return;
        if (self->m_env.showSettings) self->m_env.showSettings();
        self->showAPINudgeIfNeeded();
    });
}

void WelcomeFlow::rememberWelcomeShown() {
    setFlag(kWelcomeShownKey);
    if (m_window) m_window->close();
}

QCoro::Task<> WelcomeFlow::showAPINudgeIfNeeded() {
    // Once shown, the keyring is not asked again (a locked one would ask for its password).
    if (!m_env.aiSettings || flag(kAPINudgeShownKey)) co_return;
    QPointer self{this};
    const std::optional<QString> key = co_await m_env.aiSettings->loadAPIKeyAsync();
    // Another check may have shown it while this one waited for the key.
    if (!self || key || flag(kAPINudgeShownKey)) co_return;
    m_env.banner.showNotification(nudgeText(), kNudgeDuration);
    setFlag(kAPINudgeShownKey);
}

bool WelcomeFlow::flag(const char* key) const { return m_env.preferences.boolValue(QString::fromLatin1(key)).value_or(false); }

void WelcomeFlow::setFlag(const char* key) {
    const QString failure = m_env.preferences.setValue(QString::fromLatin1(key), true);
    if (!failure.isEmpty()) logger.error(QStringLiteral("无法保存 %1: %2").arg(QString::fromLatin1(key), failure));
}

}  // namespace vocena
