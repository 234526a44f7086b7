#include "UI/Settings/SettingsCard.h"

#include "UI/Settings/CardHeader.h"
#include "UI/Settings/SettingsStyle.h"

#include <QVBoxLayout>

namespace vocena {

SettingsCard::SettingsCard(SettingsSymbols::Symbol symbol, const QString& title, QWidget* parent) : QFrame(parent) {
    SettingsStyle::setRole(this, SettingsStyle::Role::card);
    m_header = new CardHeader(symbol, title, this);
    m_body = new QVBoxLayout;
    m_body->setContentsMargins(0, 0, 0, 0);
    m_body->setSpacing(10);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    layout->addWidget(m_header);
    layout->addLayout(m_body, 1);
}

}  // namespace vocena
