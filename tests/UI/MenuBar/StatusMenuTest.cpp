// The tray menu's logic on real widgets: its items per dictation state and mode, and the
// request each item sends.
#include "UI/MenuBar/StatusMenu.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

using namespace vocena;

// States handed to one menu in turn, and what its changing items show after each.
TEST(StatusMenuTest, ItemsFollowRecordingModesAndConversation) {
    struct Row { const char* what; StatusMenuState state; const char* recordingTitle; const char* workModeTitle; const char* aiTitle;
                 bool clearEnabled; };
    const Row rows[] = {
        {"idle input method", {false, 0, 0, false}, "开始录音 (双击 Alt)", "澄言（语音输入法）", "AI: 开启 ✓", false},
        {"recording, input method with a history", {true, 0, 0, true}, "停止录音 (双击 Alt)", "澄言（语音输入法）", "AI: 开启 ✓", false},
        {"recording, assistant without a history", {true, 1, 0, false}, "停止录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 开启 ✓", false},
        {"assistant with a history", {false, 1, 0, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 开启 ✓", true},
        {"work mode stored as 2, AI off", {false, 2, 1, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 关闭", false},
        {"AI back on after a change", {false, 1, 0, true}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 智能处理 ✓", true},
        {"any other AI value is off", {false, 1, 7, false}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 关闭", false},
        {"history cleared", {false, 1, 0, false}, "开始录音 (双击 Alt)", "澄言慢（语音助手）", "AI: 智能处理 ✓", false},
        {"the last words of a stopped recording still coming", {false, 0, 0, false, true}, "处理中…", "澄言（语音输入法）",
         "AI: 智能处理 ✓", false},
    };
    StatusMenu menu;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        menu.apply(row.state);
        const auto text = [&menu](int tag) { return menu.action(tag)->text(); };
        EXPECT_EQ((QStringList{text(StatusMenu::recordingTag), text(StatusMenu::workModeTag), text(StatusMenu::aiModeTag)}),
                  (QStringList{row.recordingTitle, row.workModeTitle, row.aiTitle}));
        EXPECT_EQ(std::pair(menu.action(StatusMenu::recordingTag)->isEnabled(), menu.action(StatusMenu::clearContextTag)->isEnabled()),
                  std::pair(!row.state.awaitingFinalResult, row.clearEnabled));
    }
}

// The items in order, each with its title and shortcut, sending its own request and no other.
TEST(StatusMenuTest, EachItemInOrderSendsItsOwnRequest) {
    const struct { const char* title; const char* shortcut; void (StatusMenu::*request)(); } items[] = {
        {"开始录音 (双击 Alt)", "", &StatusMenu::toggleRecordingRequested},
        {"澄言慢（语音助手）", "", &StatusMenu::cycleWorkModeRequested},
        {"AI: 开启 ✓", "", &StatusMenu::cycleAIModeRequested},
        {"清空对话上下文", "", &StatusMenu::clearContextRequested},
        {"设置...", "Ctrl+,", &StatusMenu::settingsRequested},
        {"权限设置...", "", &StatusMenu::permissionGuideRequested},
        {"关于澄言", "", &StatusMenu::aboutRequested},
        {"退出澄言", "Ctrl+Q", &StatusMenu::quitRequested},
    };
    StatusMenu menu;
    menu.apply({false, 1, 0, true});  // the clear item enabled
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const auto& item : items) spies.push_back(std::make_unique<QSignalSpy>(&menu, item.request));
    QList<QAction*> actions = menu.menu()->actions();
    actions.removeIf([](const QAction* action) { return action->isSeparator(); });
    ASSERT_EQ(actions.size(), qsizetype(std::size(items)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        SCOPED_TRACE(items[i].title);
        EXPECT_EQ(actions[i]->text(), QString::fromUtf8(items[i].title));
        EXPECT_EQ(actions[i]->shortcut().toString(), QLatin1String(items[i].shortcut));
        for (const auto& spy : spies) spy->clear();
        actions[i]->trigger();
        for (std::size_t j = 0; j < spies.size(); ++j) EXPECT_EQ(spies[j]->count(), qsizetype(i) == qsizetype(j) ? 1 : 0) << j;
    }
}
