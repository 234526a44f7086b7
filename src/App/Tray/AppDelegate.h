#pragma once

#include "Core/VoiceInputServiceDelegate.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitorDelegate.h"
#include "Infrastructure/Platform/AppInstance.h"
#include "Infrastructure/Platform/MemoryProbe.h"
#include "UI/Banner/TopStatusBannerManager.h"
#include "UI/MenuBar/MenuBar.h"
#include "UI/Permissions/PermissionGuidanceView.h"
#include "UI/Permissions/PermissionGuideSetup.h"
#include "UI/Settings/SettingsWindow.h"
#include "UI/Shell/BannerNotifier.h"
#include "UI/Shell/MemoryAlertBox.h"
#include "UI/Shell/MemoryWatchdog.h"
#include "UI/Shell/ModeMenu.h"
#include "UI/Shell/ModeSwitcher.h"
#include "UI/Shell/TermSuggestionQueue.h"

#include <QCoro/QCoroTask>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

namespace vocena {

class AISettingsStore;
class AppearanceController;
class ModifierKeyMonitor;
class PermissionGuidanceView;
class PermissionManager;
class Preferences;
class Scheduler;
class TermFrequencyTracker;
class VocabularyStore;
class VoiceInputService;
class WelcomeFlow;
class WelcomeWindow;

// The tray app's shell: the launch sequence, the tray menu, the banner that follows the
// dictation, the work and AI modes, the permission guide, the memory watchdog and the way out.
// It acts on the dictation it is given (none without a speech model) and never builds one.
// Main thread.
class AppDelegate final : public QObject,
                          public VoiceInputServiceDelegate,
                          public ModifierKeyMonitorDelegate,
                          public ModeMenu,
                          public BannerNotifier {
    Q_OBJECT
public:
    static constexpr const char* kSilentLaunchKey = "com.vocena.general.silentLaunch";
    static constexpr const char* kAutoLaunchKey = "com.vocena.general.autoLaunch";
    static constexpr const char* kFirstLaunchKey = "com.vocena.firstLaunch";
    static constexpr const char* kWorkModeKey = "com.vocena.work.mode";

    struct Dependencies {
        Preferences& preferences;
        Scheduler& scheduler;
        PermissionManager& permissions;
        // What the permission guide checks and installs with (a new guide each time it opens).
        std::function<PermissionGuideSetup()> guideSetup = {};
        // Learns terms and proposes them; null: no suggestions are acted on.
        TermFrequencyTracker* terms = nullptr;
        // The global key gestures; null when they cannot be watched (or in tests).
        ModifierKeyMonitor* keyMonitor = nullptr;
        // Ends the application's event loop.
        std::function<void()> quit = {};
        // Registers or removes the start at login and returns the reason of a failure (empty on
        // success); empty: left alone.
        std::function<QString(bool)> updateLoginItem = {};
        // The banner's desktop (screens, mouse, compositor); empty: the real one.
        std::function<TopStatusBannerManager::Environment(Scheduler&, Preferences&)> bannerEnvironment = {};
        MemoryProbe::Reader memoryReader = {};
        // Where the API key is looked up for the reminder after the welcome card; null: none.
        // Also where the settings window keeps the key.
        const AISettingsStore* aiSettings = nullptr;
        // The vocabulary the settings window shows; null: no vocabulary card.
        VocabularyStore* vocabulary = nullptr;
    };

    explicit AppDelegate(Dependencies dependencies, QObject* parent = nullptr);
    ~AppDelegate() override;

    // The dictation to drive (null: none, no model); replaces an earlier one.
    void setService(VoiceInputService* service);
    VoiceInputService* service() const { return m_service; }

    // The launch sequence: `initializeDictation` (which hands over the dictation), the tray
    // icon, the key monitor, start at login, then unless launched silently the permission
    // check, the welcome card 3 s later and the notification observers.
    void launch(const std::function<void()>& initializeDictation = {});
    // Stops the recording, the key monitor and the watchdog (once).
    void terminate();

    // What other processes may ask of the running app over D-Bus.
    AppActions appActions();

    void toggleRecording();
    void showPermissionGuide();
    // Brings the open settings window to the front, or builds and shows a new one.
    void showSettings();
    void showWelcomeCard();
    // Reminds once, in the banner, to enter an API key, while none is stored.
    void showAPINudgeIfNeeded();
    // A shell window (settings, welcome) was closed: the global keys are watched again.
    void windowWillClose(QWidget* window);
    void showAbout();
    void clearConversation();
    // The app was brought forward: the theme again, and a granted accessibility closes the guide.
    void handleActivation();

    PermissionGuidanceView* permissionGuide() const { return m_guide; }
    SettingsWindow* settingsWindow() const { return m_settings; }
    WelcomeWindow* welcomeWindow() const;
    TopStatusBannerManager& banner() { return m_banner; }
    MenuBar& menuBar() { return m_menuBar; }
    MemoryWatchdog& watchdog() { return m_watchdog; }
    ModeSwitcher& modes() { return *m_modes; }

    // VoiceInputServiceDelegate
    void didUpdateText(VoiceInputService& service, const QString& text) override;
    void didUpdateState(VoiceInputService& service, const RecognitionState& state) override;
    // ModifierKeyMonitorDelegate
    void modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor& monitor, const QList<ModifierKeyType>& keys) override;
    void modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor& monitor) override;
    // ModeMenu: the titles follow the stored modes, so every change re-reads them.
    void setWorkModeTitle(const QString&) override;
    void setAIModeTitle(const QString&) override { updateMenuItemsState(); }
    void updateMenuItemsState() override;
    // BannerNotifier
    void showNotification(const QString& text, double duration) override;

Q_SIGNALS:
    // A speech model was installed from the permission guide: the dictation should load it.
    void speechModelInstalled(const QString& name);

private:
    void connectMenu();
    void installObservers();
    QCoro::Task<> checkPermissions();
    QCoro::Task<> refreshAccessibility();
    void updateUIForRecordingState(bool recording);
    void acceptTerm(const QString& term, const std::optional<QString>& category);
    qint64 workMode() const;

    Dependencies m_deps;
    VoiceInputService* m_service = nullptr;
    std::unique_ptr<QObject> m_serviceConnections;  // to the service's signals
    std::shared_ptr<void> m_aiObservation;          // of the service's AI settings
    MenuBar m_menuBar;
    TopStatusBannerManager m_banner;
    TermSuggestionQueue m_suggestions;
    std::unique_ptr<ModeSwitcher> m_modes;
    MemoryProbe m_memoryProbe;
    MemoryAlertBox m_memoryAlert;
    MemoryWatchdog m_watchdog;
    std::unique_ptr<AppearanceController> m_appearance;
    QPointer<PermissionGuidanceView> m_guide;
    QPointer<QMessageBox> m_about;
    QPointer<SettingsWindow> m_settings;
    std::unique_ptr<WelcomeFlow> m_welcome;
    QObject m_observers;  // the notification observers go with it
    bool m_terminated = false;
};

}  // namespace vocena
