#include "UI/MenuBar/StatusMenu.h"

#include "Infrastructure/Platform/Logging.h"
#include "UI/MenuBar/MenuBarIcon.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>

namespace vocena {

namespace {

const Logger logger("StatusMenu");

// The gesture that starts and stops a recording, as the titles name it.
const QString gestureName = QStringLiteral("双击 Alt");

// The symbol beside a tagged item.
struct TaggedSymbol {
    int tag;
    MenuBarIcon::Symbol symbol;
};
constexpr TaggedSymbol taggedSymbols[] = {
    {StatusMenu::workModeTag, MenuBarIcon::Symbol::microphone},
    {StatusMenu::aiModeTag, MenuBarIcon::Symbol::headProfile},
    {StatusMenu::clearContextTag, MenuBarIcon::Symbol::trash},
};

}  // namespace

StatusMenu::StatusMenu(QObject* parent) : QObject(parent), m_menu(std::make_unique<QMenu>()) {
    build();
    m_menu->installEventFilter(this);
}

StatusMenu::~StatusMenu() = default;

QString StatusMenu::recordingTitle(bool recording) {
    return (recording ? QStringLiteral("停止录音 (") : QStringLiteral("开始录音 (")) + gestureName + QLatin1Char(')');
}

QString StatusMenu::workModeTitle(qint64 workMode) {
    return workMode == 0 ? QStringLiteral("澄言（语音输入法）") : QStringLiteral("澄言慢（语音助手）");
}

QString StatusMenu::aiModeTitle(qint64 aiMode, bool changedSinceStart) {
    if (aiMode != 0) return QStringLiteral("AI: 关闭");
    return changedSinceStart ? QStringLiteral("AI: 智能处理 ✓") : QStringLiteral("AI: 开启 ✓");
}

void StatusMenu::build() {
    const auto add = [this](const QString& title, void (StatusMenu::*request)(), int tag = 0) {
        QAction* action = m_menu->addAction(title);
        if (tag != 0) action->setData(tag);
        connect(action, &QAction::triggered, this, request);
        return action;
    };
    add(recordingTitle(false), &StatusMenu::toggleRecordingRequested, recordingTag);
    m_menu->addSeparator();
    add(workModeTitle(0), &StatusMenu::cycleWorkModeRequested, workModeTag);
    m_menu->addSeparator();
    add(aiModeTitle(0, false), &StatusMenu::cycleAIModeRequested, aiModeTag);
    add(QStringLiteral("清空对话上下文"), &StatusMenu::clearContextRequested, clearContextTag)->setEnabled(false);
    add(QStringLiteral("设置..."), &StatusMenu::settingsRequested)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_menu->addSeparator();
    add(QStringLiteral("权限设置..."), &StatusMenu::permissionGuideRequested);
    add(QStringLiteral("关于澄言"), &StatusMenu::aboutRequested);
    m_menu->addSeparator();
    QAction* quit = add(QStringLiteral("退出澄言"), &StatusMenu::quitRequested);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    refreshSymbols();
}

QAction* StatusMenu::action(int tag) const {
    for (QAction* action : m_menu->actions())
        if (action->data().toInt() == tag) return action;
    return nullptr;
}

void StatusMenu::apply(const StatusMenuState& state) {
    if (state.aiMode != m_state.aiMode) m_aiModeChanged = true;
    const bool recordingChanged = state.recording != m_state.recording;
    m_state = state;
    action(recordingTag)->setText(state.awaitingFinalResult ? QStringLiteral("处理中…") : recordingTitle(state.recording));
    action(recordingTag)->setEnabled(!state.awaitingFinalResult);
    if (recordingChanged) logger.debug(QStringLiteral("菜单项标题已更新"));
    action(workModeTag)->setText(workModeTitle(state.workMode));
    action(aiModeTag)->setText(aiModeTitle(state.aiMode, m_aiModeChanged));
    // Clearing the conversation only means something to the assistant, and only with turns to clear.
    action(clearContextTag)->setEnabled(state.workMode == 1 && state.conversationHasHistory);
}

void StatusMenu::refreshSymbols() {
    const QPalette palette = QApplication::palette(m_menu.get());
    for (const TaggedSymbol& entry : taggedSymbols) action(entry.tag)->setIcon(MenuBarIcon::symbol(entry.symbol, palette));
}

bool StatusMenu::eventFilter(QObject* watched, QEvent* event) {
    // Qt matches the shortcuts of a menu's items only through a window the menu belongs to,
    // and the tray's menu belongs to none: the open menu answers them itself.
    if (watched == m_menu.get() && event->type() == QEvent::KeyPress) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (QAction* action : m_menu->actions()) {
            if (action->shortcut().isEmpty() || action->shortcut() != pressed || !action->isEnabled()) continue;
            m_menu->close();
            action->trigger();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace vocena
