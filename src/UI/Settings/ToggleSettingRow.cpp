#include "UI/Settings/ToggleSettingRow.h"

#include "UI/Settings/SettingsStyle.h"
#include "UI/Settings/ToggleSwitch.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vocena {

ToggleSettingRow::ToggleSettingRow(const QString& title, const QString& subtitle, QWidget* parent) : QWidget(parent) {
    auto* titleLabel = new QLabel(title, this);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    titleLabel->setWordWrap(true);  // a long title takes two lines rather than pushing the switch out
    auto* subtitleLabel = SettingsStyle::label(subtitle, SettingsStyle::Role::secondary, this);
    subtitleLabel->setWordWrap(true);
    m_switch = new ToggleSwitch(this);
    m_switch->setAccessibleName(title);
    connect(m_switch, &ToggleSwitch::clicked, this, &ToggleSettingRow::toggled);

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(titleLabel);
    texts->addWidget(subtitleLabel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addLayout(texts, 1);
    layout->addWidget(m_switch, 0, Qt::AlignVCenter);
}

bool ToggleSettingRow::isOn() const { return m_switch->isChecked(); }

void ToggleSettingRow::setOn(bool on) {
    const QSignalBlocker quiet(m_switch);
    m_switch->setChecked(on);
}

}  // namespace vocena
