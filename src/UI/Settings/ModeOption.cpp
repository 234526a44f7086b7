#include "UI/Settings/ModeOption.h"

#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

using SettingsStyle::label;

ModeOption::ModeOption(const Content& content, QWidget* parent) : OptionFrame(parent), m_content(content) {
    m_icon = new SymbolView(content.icon, 18, SymbolView::Tint::brand, this);
    m_icon->setDisc(SymbolView::Tint::muted, 34);

    auto* title = new QLabel(content.title, this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(6);
    titleLine->addWidget(title);
    titleLine->addWidget(label(content.subtitle, SettingsStyle::Role::secondary, this));
    titleLine->addStretch(1);

    auto* description = label(content.description, SettingsStyle::Role::secondary, this);
    description->setWordWrap(true);
    auto* shortcut = label(content.shortcut, SettingsStyle::Role::accent, this);
    shortcut->setObjectName(QStringLiteral("shortcutLabel"));

    auto* texts = new QVBoxLayout;
    texts->setSpacing(3);
    texts->addLayout(titleLine);
    texts->addWidget(description);
    texts->addWidget(shortcut);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(10);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
}

void ModeOption::selectionChanged(bool selected) {
    m_icon->setTint(selected ? SymbolView::Tint::white : SymbolView::Tint::brand);
    m_icon->setDisc(selected ? SymbolView::Tint::brand : SymbolView::Tint::muted, 34);
}

}  // namespace vocena
