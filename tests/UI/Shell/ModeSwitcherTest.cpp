// The work-mode and AI-mode switches and the conversation rules, over the real preferences and
// dictation controller, with the menu and the banner recorded.
#include "UI/Shell/ModeSwitcher.h"

#include "UI/Shell/BannerNotifier.h"
#include "UI/Shell/ModeMenu.h"
#include "support/Dictation.h"

#include <QJsonValue>

using namespace vocena;

namespace {

// The menu and the banner, recorded.
class RecordingShell final : public ModeMenu, public BannerNotifier {
public:
    QStringList workTitles, aiTitles, notices;
    int stateUpdates = 0;
    void setWorkModeTitle(const QString& title) override { workTitles << title; }
    void setAIModeTitle(const QString& title) override { aiTitles << title; }
    void updateMenuItemsState() override { ++stateUpdates; }
    void showNotification(const QString& text, double duration) override { notices << QStringLiteral("%1 (%2 s)").arg(text).arg(duration); }
};

class ModeSwitcherTest : public ::testing::Test {
protected:
    void store(const char* key, const QJsonValue& value) {
        if (value.isUndefined()) prefs.remove(QString::fromLatin1(key));
        else prefs.setValue(QString::fromLatin1(key), value);
    }
    QJsonValue stored(const char* key) const { return prefs.value(QString::fromLatin1(key)); }

    test::Dictation dictation;
    Preferences& prefs = dictation.prefs;
    VoiceInputService& service = dictation.service;
    RecordingShell shell;
    ModeSwitcher switcher{prefs, shell, &shell, &service};
};

const QString inputMethodTitle = QStringLiteral("澄言（语音输入法）");
const QString assistantTitle = QStringLiteral("澄言慢（语音助手）");
const QString toInputMethod = QStringLiteral("已切换到 澄言 · 语音输入法 (1.5 s)");
const QString toAssistant = QStringLiteral("已切换到 澄言慢 · 语音助手 (1.5 s)");

}  // namespace

// The menu item switches the work mode from what is stored; a combination other than Alt+Control
// changes nothing (that Alt+Control switches is AppDelegateTest's).
TEST_F(ModeSwitcherTest, WorkModeSwitchesFromTheMenuAndAltControl) {
    using Keys = QList<ModifierKeyType>;
    const struct {
        const char* name;
        QJsonValue before;
        std::optional<Keys> combo;  // none: the menu item
        QJsonValue after;
        QStringList titles, notices;
    } cases[] = {
        {"menu, nothing stored", QJsonValue(), std::nullopt, 1, {assistantTitle}, {toAssistant}},
        {"menu, stored 2", 2, std::nullopt, 0, {inputMethodTitle}, {toInputMethod}},
        {"control+shift", 0, Keys{ModifierKeyType::control, ModifierKeyType::shift}, 0, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        store(AISettingsStore::kWorkModeKey, c.before);
        shell = {};
        if (c.combo) switcher.handleModifierCombo(*c.combo);
        else switcher.cycleWorkMode();
        const QJsonValue after = stored(AISettingsStore::kWorkModeKey);
        EXPECT_EQ(std::tuple(after, shell.workTitles, shell.stateUpdates, shell.notices),
                  std::tuple(c.after, c.titles, int(c.titles.size()), c.notices));
    }
}

// Nothing stored reads as on, and any value other than 0 and 1 as off, so that the switch turns
// processing on; both keys are stored (the switches between 0 and 1 are AppDelegateTest's).
TEST_F(ModeSwitcherTest, AIModeTogglesThroughTheServiceSettings) {
    const struct {
        QJsonValue before;
        int after;
        QString title;
    } cases[] = {{QJsonValue(), 1, QStringLiteral("AI: 关闭")}, {2, 0, QStringLiteral("AI: 智能处理 ✓")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before.toVariant().toString().toStdString());
        store(AISettingsStore::kModeKey, c.before);
        store(AISettingsStore::kEnabledKey, QJsonValue());
        shell = {};
        switcher.cycleAIMode();
        EXPECT_EQ(stored(AISettingsStore::kModeKey), c.after);
        EXPECT_EQ(stored(AISettingsStore::kEnabledKey), c.after == 0);
        EXPECT_EQ(shell.aiTitles, QStringList{c.title});
    }

    // Without a dictation controller the AI mode stays; the work mode still switches.
    RecordingShell bareMenu;
    ModeSwitcher bare(prefs, bareMenu, nullptr, nullptr);
    store(AISettingsStore::kModeKey, 0);
    store(AISettingsStore::kWorkModeKey, 0);
    bare.cycleAIMode();
    bare.cycleWorkMode();
    EXPECT_EQ(std::tuple(stored(AISettingsStore::kModeKey), bareMenu.aiTitles, stored(AISettingsStore::kWorkModeKey),
                         bare.canClearConversation()),
              std::tuple(QJsonValue(0), QStringList(), QJsonValue(1), false));
}

TEST_F(ModeSwitcherTest, ConversationCanBeClearedOnlyInTheAssistantModeWithHistory) {
    const struct {
        QJsonValue workMode;
        bool history, enabled;
    } cases[] = {
        {1, true, true}, {1, false, false}, {0, true, false}, {2, true, false}, {QJsonValue(), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.workMode.toVariant().toString().toStdString() + (c.history ? " with history" : " empty"));
        store(AISettingsStore::kWorkModeKey, c.workMode);
        service.aiProcessor().conversationContext.clear();
        if (c.history) service.aiProcessor().conversationContext.addMessage(QStringLiteral("问"), QStringLiteral("答"));
        EXPECT_EQ(switcher.canClearConversation(), c.enabled);
    }

    // Clearing it says so (that it is then gone is AppDelegateTest's).
    shell = {};
    switcher.clearConversation();
    EXPECT_EQ(shell.notices, QStringList{QStringLiteral("对话上下文已清空 (1.5 s)")});
}
