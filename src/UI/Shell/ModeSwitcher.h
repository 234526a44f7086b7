#pragma once

#include "Infrastructure/Hotkey/ModifierKeyMonitorDelegate.h"

#include <QString>

namespace vocena {

class BannerNotifier;
class ModeMenu;
class Preferences;
class VoiceInputService;

// The work-mode and AI-mode switches of the tray app and the rules of the conversation the
// assistant keeps. The modes live only in the preferences; every reader reads them afresh.
// A switch never touches a recording in progress: the new mode applies to the next one.
class ModeSwitcher {
public:
    static constexpr double kNoticeDuration = 1.5;

    // `banner` and `service` may be absent: their steps are skipped (without a service the AI
    // mode cannot change and there is no conversation).
    ModeSwitcher(Preferences& preferences, ModeMenu& menu, BannerNotifier* banner, VoiceInputService* service);

    static QString menuTitle(qint64 workMode);
    static QString bannerTitle(qint64 workMode);
    // The AI item after a switch ("AI: 智能处理 ✓" / "AI: 关闭"); the menu built at launch
    // reads "AI: 开启 ✓" for smart processing.
    static QString aiMenuTitle(qint64 aiMode);
    static QString launchAIMenuTitle(qint64 aiMode);

    qint64 workMode() const;

    // The work-mode menu item: input method ↔ assistant (any stored value but 0 counts as the
    // assistant, so it switches to the input method).
    void cycleWorkMode();
    // Alt+Control from the key monitor; other combinations change nothing.
    void handleModifierCombo(const QList<ModifierKeyType>& keys);
    // Shows the stored mode in the menu and announces it in the banner.
    void updateModeMenuItem();

    void cycleAIMode();

    // Whether the clear-conversation item is enabled: in the assistant mode (exactly 1) with
    // a conversation to forget.
    bool canClearConversation() const;
    void clearConversation();

private:
    void toggleStoredWorkMode();

    Preferences& m_preferences;
    ModeMenu& m_menu;
    BannerNotifier* m_banner;
    VoiceInputService* m_service;
};

}  // namespace vocena
