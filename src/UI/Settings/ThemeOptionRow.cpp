#include "UI/Settings/ThemeOptionRow.h"

#include "UI/Settings/SymbolView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

ThemeOptionRow::ThemeOptionRow(SettingsSymbols::Symbol icon, const QString& title, QWidget* parent)
    : OptionFrame(parent), m_title(title) {
    m_icon = new SymbolView(icon, 16, SymbolView::Tint::secondary, this);
    m_icon->setDisc(SymbolView::Tint::muted, 32);
    auto* label = new QLabel(title, this);
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 10, 6, 8);
    layout->setSpacing(6);
    layout->addWidget(m_icon, 0, Qt::AlignHCenter);
    layout->addWidget(label);
}

void ThemeOptionRow::selectionChanged(bool selected) {
    m_icon->setTint(selected ? SymbolView::Tint::white : SymbolView::Tint::secondary);
    m_icon->setDisc(selected ? SymbolView::Tint::brand : SymbolView::Tint::muted, 32);
}

}  // namespace vocena
