#include "UI/Shell/ModeSwitcher.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Shell/BannerNotifier.h"
#include "UI/Shell/ModeMenu.h"
#include "Infrastructure/LLM/AISettingsStore.h"

namespace vocena {

namespace {
const Logger logger("AppDelegate");
const QString kWorkModeKey = QString::fromLatin1(AISettingsStore::kWorkModeKey);
}  // namespace

ModeSwitcher::ModeSwitcher(Preferences& preferences, ModeMenu& menu, BannerNotifier* banner, VoiceInputService* service)
    : m_preferences(preferences), m_menu(menu), m_banner(banner), m_service(service) {}

QString ModeSwitcher::menuTitle(qint64 workMode) {
    return workMode == 0 ? QStringLiteral("澄言（语音输入法）") : QStringLiteral("澄言慢（语音助手）");
}

QString ModeSwitcher::bannerTitle(qint64 workMode) {
    return workMode == 0 ? QStringLiteral("澄言 · 语音输入法") : QStringLiteral("澄言慢 · 语音助手");
}

QString ModeSwitcher::aiMenuTitle(qint64 aiMode) {
    return aiMode == 0 ? QStringLiteral("AI: 智能处理 ✓") : QStringLiteral("AI: 关闭");
}

QString ModeSwitcher::launchAIMenuTitle(qint64 aiMode) {
    return aiMode == 0 ? QStringLiteral("AI: 开启 ✓") : QStringLiteral("AI: 关闭");
}

qint64 ModeSwitcher::workMode() const { return m_preferences.intValue(kWorkModeKey).value_or(0); }

void ModeSwitcher::toggleStoredWorkMode() { m_preferences.setValue(kWorkModeKey, workMode() == 0 ? 1 : 0); }

void ModeSwitcher::cycleWorkMode() {
    toggleStoredWorkMode();
    updateModeMenuItem();
}

void ModeSwitcher::handleModifierCombo(const QList<ModifierKeyType>& keys) {
    if (!keys.contains(ModifierKeyType::option) || !keys.contains(ModifierKeyType::control)) return;
    toggleStoredWorkMode();
    logger.info(QStringLiteral("切换到 %1").arg(menuTitle(workMode())));
    updateModeMenuItem();
}

void ModeSwitcher::updateModeMenuItem() {
    const qint64 mode = workMode();
    m_menu.setWorkModeTitle(menuTitle(mode));
    logger.info(QStringLiteral("切换到 %1").arg(menuTitle(mode)));
    m_menu.updateMenuItemsState();
    if (m_banner) m_banner->showNotification(QStringLiteral("已切换到 ") + bannerTitle(mode), kNoticeDuration);
}

void ModeSwitcher::cycleAIMode() {
    if (!m_service) return;
    AISettingsStore& settings = m_service->aiSettings();
    // Written as the settings card writes it: every switch from off turns processing on.
    const QString failure = AISettingsStore::storeProcessingOn(settings.defaults(), !settings.aiProcessingOn());
    if (!failure.isEmpty()) logger.error(QStringLiteral("无法保存 AI 设置: %1").arg(failure));
    const int mode = settings.aiProcessingOn() ? 0 : 1;
    logger.info(QStringLiteral("AI 模式: %1").arg(mode == 0 ? QStringLiteral("智能处理（开启）") : QStringLiteral("关闭")));
    m_menu.setAIModeTitle(aiMenuTitle(mode));
}

bool ModeSwitcher::canClearConversation() const {
    return m_service && workMode() == 1 && m_service->aiProcessor().conversationContext.hasContext();
}

void ModeSwitcher::clearConversation() {
    if (!m_service) return;
    m_service->clearConversationContext();
    m_menu.updateMenuItemsState();
    if (m_banner) m_banner->showNotification(QStringLiteral("对话上下文已清空"), kNoticeDuration);
}

}  // namespace vocena
