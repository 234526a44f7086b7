#include "UI/Settings/AIFeatureItem.h"

#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

AIFeatureItem::AIFeatureItem(SettingsSymbols::Symbol symbol, const QString& title, const QString& description, QWidget* parent)
    : QWidget(parent) {
    auto* icon = new SymbolView(symbol, 16, SymbolView::Tint::brand, this);
    icon->setDisc(SymbolView::Tint::row, 30);
    auto* titleLabel = new QLabel(title, this);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    auto* descriptionLabel = SettingsStyle::label(description, SettingsStyle::Role::secondary, this);
    descriptionLabel->setWordWrap(true);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(titleLabel);
    texts->addWidget(descriptionLabel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(texts, 1);
}

}  // namespace vocena
