#include "UI/Settings/WorkModeCard.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Settings/ModeOption.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"
#include "Infrastructure/LLM/AISettingsStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

namespace {

const Logger logger("SettingsView");
const QString kWorkModeKey = QString::fromLatin1(AISettingsStore::kWorkModeKey);
using Symbol = SettingsSymbols::Symbol;

}  // namespace

QString WorkModeCard::shortcutLabel(qint64 workMode) {
    return workMode == 0 ? QStringLiteral("双击 Alt") : QStringLiteral("Alt+Ctrl");
}

WorkModeCard::WorkModeCard(Preferences& preferences, QWidget* parent)
    : SettingsCard(Symbol::sliders, QStringLiteral("工作模式"), parent), m_preferences(preferences) {
    setObjectName(QStringLiteral("workModeCard"));
    m_inputMethod = new ModeOption({Symbol::microphone, QStringLiteral("澄言"), QStringLiteral("语音输入法"),
                                    QStringLiteral("专注快速输入，自动纠错排版"), shortcutLabel(0)},
                                   this);
    m_assistant = new ModeOption({Symbol::headProfile, QStringLiteral("澄言慢"), QStringLiteral("语音助手"),
                                  QStringLiteral("智能对话，记住上下文"), shortcutLabel(1)},
                                 this);
    connect(m_inputMethod, &ModeOption::clicked, this, [this] { choose(0); });
    connect(m_assistant, &ModeOption::clicked, this, [this] { choose(1); });

    auto* box = new QFrame(this);
    SettingsStyle::setRole(box, SettingsStyle::Role::panel);
    auto* boxTitle = new QHBoxLayout;
    boxTitle->setSpacing(6);
    boxTitle->addWidget(new SymbolView(Symbol::keyboard, 16, SymbolView::Tint::secondary, box));
    boxTitle->addWidget(SettingsStyle::label(QStringLiteral("当前快捷键"), SettingsStyle::Role::secondary, box));
    boxTitle->addStretch(1);
    m_currentShortcut = SettingsStyle::label(QString(), SettingsStyle::Role::accent, box);
    m_currentShortcut->setObjectName(QStringLiteral("currentShortcut"));
    QFont large = m_currentShortcut->font();
    large.setPointSizeF(large.pointSizeF() * 1.2);
    m_currentShortcut->setFont(large);
    auto* boxLayout = new QVBoxLayout(box);
    boxLayout->setContentsMargins(12, 10, 12, 10);
    boxLayout->setSpacing(6);
    boxLayout->addLayout(boxTitle);
    boxLayout->addWidget(m_currentShortcut);

    body()->addWidget(m_inputMethod);
    body()->addWidget(m_assistant);
    body()->addWidget(box);
    body()->addStretch(1);
    refresh();
    m_observation = m_preferences.observe([this] { refresh(); });
}

void WorkModeCard::choose(int mode) {
    const QString failure = m_preferences.setValue(kWorkModeKey, mode);
    if (!failure.isEmpty()) logger.error(QStringLiteral("无法保存工作模式: %1").arg(failure));
    refresh();
}

void WorkModeCard::refresh() {
    const qint64 mode = m_preferences.intValue(kWorkModeKey).value_or(0);
    m_inputMethod->setSelected(mode == 0);
    m_assistant->setSelected(mode != 0);
    m_currentShortcut->setText(shortcutLabel(mode));
}

}  // namespace vocena
