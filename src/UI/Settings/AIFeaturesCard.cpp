#include "UI/Settings/AIFeaturesCard.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Settings/AIFeatureItem.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"
#include "UI/Settings/ToggleSettingRow.h"
#include "Infrastructure/LLM/AISettingsStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

namespace {

const Logger logger("SettingsView");
using Symbol = SettingsSymbols::Symbol;

}  // namespace

AIFeaturesCard::AIFeaturesCard(Preferences& preferences, QWidget* parent)
    : SettingsCard(Symbol::sparkles, QStringLiteral("AI 智能处理"), parent), m_preferences(preferences) {
    setObjectName(QStringLiteral("aiFeaturesCard"));
    m_switch = new ToggleSettingRow(QStringLiteral("启用 AI 处理"), QStringLiteral("使用大模型优化识别结果"), this);
    connect(m_switch, &ToggleSettingRow::toggled, this, &AIFeaturesCard::storeEnabled);
    m_features = buildFeatures();
    m_notice = buildNotice();
    body()->addWidget(m_switch);
    body()->addWidget(m_features);
    body()->addWidget(m_notice);
    body()->addStretch(1);
    refresh();
    m_observation = m_preferences.observe([this] { refresh(); });
}

QWidget* AIFeaturesCard::buildFeatures() {
    struct Feature {
        Symbol symbol;
        const char* title;
        const char* description;
    };
    static const Feature features[] = {
        {Symbol::checkmarkBubble, "智能纠错", "自动修正同音字错误，补充缺失标点"},
        {Symbol::textAlignLeft, "格式排版", "智能分段，自动识别标题和列表"},
        {Symbol::quoteBubble, "语义优化", "润色表达，提升文本流畅度"},
        {Symbol::number, "数字识别", "准确识别数字、日期、金额"},
    };
    auto* list = new QWidget(this);
    list->setObjectName(QStringLiteral("aiFeatures"));
    auto* layout = new QVBoxLayout(list);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(12);
    for (const Feature& feature : features)
        layout->addWidget(new AIFeatureItem(feature.symbol, QString::fromUtf8(feature.title), QString::fromUtf8(feature.description), list));
    return list;
}

QWidget* AIFeaturesCard::buildNotice() {
    auto* notice = new QFrame(this);
    notice->setObjectName(QStringLiteral("aiOffNotice"));
    SettingsStyle::setRole(notice, SettingsStyle::Role::panel);
    auto* title = new QLabel(QStringLiteral("AI 处理已关闭"), notice);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title);
    texts->addWidget(SettingsStyle::label(QStringLiteral("将直接输出原始识别结果"), SettingsStyle::Role::secondary, notice));
    auto* layout = new QHBoxLayout(notice);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    layout->addWidget(new SymbolView(Symbol::warningTriangle, 20, SymbolView::Tint::warning, notice), 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
    return notice;
}

void AIFeaturesCard::storeEnabled(bool enabled) {
    const QString failure = AISettingsStore::storeProcessingOn(m_preferences, enabled);
    if (!failure.isEmpty()) logger.error(QStringLiteral("无法保存 AI 设置: %1").arg(failure));
    refresh();
}

void AIFeaturesCard::refresh() {
    const bool on = AISettingsStore::processingOn(m_preferences);
    m_switch->setOn(on);
    m_features->setVisible(on);
    m_notice->setVisible(!on);
}

}  // namespace vocena
