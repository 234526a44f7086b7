#include "UI/Settings/CardHeader.h"

#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/SymbolView.h"

#include <QHBoxLayout>
#include <QLabel>

namespace vocena {

CardHeader::CardHeader(SettingsSymbols::Symbol symbol, const QString& title, QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("cardHeader"));
    m_symbol = new SymbolView(symbol, 18, SymbolView::Tint::brand, this);
    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("cardTitle"));
    SettingsStyle::setRole(m_title, SettingsStyle::Role::cardTitle);
    m_layout = new QHBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(8);
    m_layout->addWidget(m_symbol);
    m_layout->addWidget(m_title);
    m_layout->addStretch(1);
}

void CardHeader::addTrailing(QWidget* widget) { m_layout->addWidget(widget); }

}  // namespace vocena
