// The tray menu's logic on real widgets: its items per dictation state and mode, and the
// request each item sends.
#include "UI/MenuBar/StatusMenu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

using namespace vocena;

namespace {

QString separator() { return QStringLiteral("—"); }

// One line of the menu as "title | tag | enabled | shortcut".
QStringList describe(const QMenu& menu) {
    QStringList lines;
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator()) {
            lines << separator();
            continue;
        }
        lines << QStringLiteral("%1 | %2 | %3 | %4")
                     .arg(action->text())
                     .arg(action->data().toInt())
                     .arg(action->isEnabled() ? QStringLiteral("on") : QStringLiteral("off"))
                     .arg(action->shortcut().toString());
    }
    return lines;
}

TEST(StatusMenuTest, StartsWithItsItemsInOrder) {
    StatusMenu menu;
    EXPECT_EQ(describe(*menu.menu()), (QStringList{
                                          QStringLiteral("开始录音 (双击 Alt) | 100 | on | "),
                                          separator(),
                                          QStringLiteral("澄言（语音输入法） | 300 | on | "),
                                          separator(),
                                          QStringLiteral("AI: 开启 ✓ | 200 | on | "),
                                          QStringLiteral("清空对话上下文 | 500 | off | "),
                                          QStringLiteral("设置... | 0 | on | Ctrl+,"),
                                          separator(),
                                          QStringLiteral("权限设置... | 0 | on | "),
                                          QStringLiteral("关于澄言 | 0 | on | "),
                                          separator(),
                                          QStringLiteral("退出澄言 | 0 | on | Ctrl+Q"),
                                      }));
}

// States handed to one menu in turn, and what its changing items show after each.
TEST(StatusMenuTest, ItemsFollowRecordingModesAndConversation) {
    struct Row {
        const char* what;
        StatusMenuState state;
        const char* recordingTitle;
        const char* workModeTitle;
        const char* aiTitle;
        bool clearEnabled;
    };
    const Row rows[] = {
        {"idle input method", {false, 0, 0, false}, "开始录音 (双击 Alt)", "澄言（语音输入法）", "AI: 开启 ✓", false},
        {"recording, input method with a history", {true, 0, 0, true}, "停止录音 (双击 Alt)", "澄言（语音输入法）", "AI: 开启 ✓", false},
        {"recording, assistant without a history", {true, 1, 0, false}, "停止录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 开启 ✓", false},
        {"assistant with a history", {false, 1, 0, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 开启 ✓", true},
        {"work mode stored as 2, AI off", {false, 2, 1, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 关闭", false},
        {"AI back on after a change", {false, 1, 0, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 智能处理 ✓", true},
        {"any other AI value is off", {false, 1, 7, false}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 关闭", false},
        {"history cleared", {false, 1, 0, false}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 智能处理 ✓", false},
    };
    StatusMenu menu;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        menu.apply(row.state);
        EXPECT_EQ(menu.action(StatusMenu::recordingTag)->text(), QString::fromUtf8(row.recordingTitle));
        EXPECT_EQ(menu.action(StatusMenu::workModeTag)->text(), QString::fromUtf8(row.workModeTitle));
        EXPECT_EQ(menu.action(StatusMenu::aiModeTag)->text(), QString::fromUtf8(row.aiTitle));
        EXPECT_EQ(menu.action(StatusMenu::clearContextTag)->isEnabled(), row.clearEnabled);
        EXPECT_EQ(menu.state(), row.state);
    }
}

// Every item, in the menu's order, sends its own request and no other.
TEST(StatusMenuTest, EachItemSendsItsOwnRequest) {
    const std::vector<void (StatusMenu::*)()> requests = {
        &StatusMenu::toggleRecordingRequested, &StatusMenu::cycleWorkModeRequested, &StatusMenu::cycleAIModeRequested,
        &StatusMenu::clearContextRequested,    &StatusMenu::settingsRequested,      &StatusMenu::permissionGuideRequested,
        &StatusMenu::aboutRequested,           &StatusMenu::quitRequested,
    };
    StatusMenu menu;
    menu.apply({true, 1, 0, true});  // the clear item enabled
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const auto request : requests) spies.push_back(std::make_unique<QSignalSpy>(&menu, request));
    QList<QAction*> items = menu.menu()->actions();
    items.removeIf([](const QAction* action) { return action->isSeparator(); });
    ASSERT_EQ(items.size(), qsizetype(requests.size()));
    for (qsizetype i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i]->text().toStdString());
        for (const auto& spy : spies) spy->clear();
        items[i]->trigger();
        for (std::size_t j = 0; j < spies.size(); ++j) EXPECT_EQ(spies[j]->count(), qsizetype(i) == qsizetype(j) ? 1 : 0) << j;
    }
}

}  // namespace
