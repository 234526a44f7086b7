#include "UI/Settings/AIFeatureItem.h"

#include "UI/Common/WidgetHelpers.h"
#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"

#include <QLabel>

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
    WidgetHelpers::symbolBesideTexts(this, icon, {titleLabel, descriptionLabel}, {.margins = {}, .beside = 10, .between = 2});
}

}  // namespace vocena
