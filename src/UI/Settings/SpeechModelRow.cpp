#include "UI/Settings/SpeechModelRow.h"

#include "UI/Common/InstallProgressView.h"
#include "UI/Common/NoteLabel.h"
#include "UI/Common/WidgetHelpers.h"
#include "UI/Settings/SettingsStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vocena {

SpeechModelRow::SpeechModelRow(const QString& title, const QString& summary, QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("speechModelRow"));
    SettingsStyle::setRole(this, SettingsStyle::Role::panel);
    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("modelName"));
    m_title->setWordWrap(true);
    WidgetHelpers::setFont(m_title, 1.0, true);
    m_badge = SettingsStyle::label(QStringLiteral("使用中"), SettingsStyle::Role::badge, this);
    m_badge->setObjectName(QStringLiteral("activeBadge"));
    m_badge->hide();
    auto* titleLine = new QHBoxLayout;
    titleLine->setSpacing(6);
    titleLine->addWidget(m_title, 1);
    titleLine->addWidget(m_badge, 0, Qt::AlignTop);

    auto* summaryLabel = new QLabel(summary, this);
    summaryLabel->setObjectName(QStringLiteral("modelSummary"));
    summaryLabel->setWordWrap(true);
    summaryLabel->setVisible(!summary.isEmpty());
    WidgetHelpers::setFont(summaryLabel, WidgetHelpers::kCaptionScale);

    m_progress = new InstallProgressView(this);
    m_note = new NoteLabel(this);
    m_note->setObjectName(QStringLiteral("noteLabel"));
    m_buttons = new QHBoxLayout;
    m_buttons->setSpacing(6);
    m_buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->setSpacing(3);
    layout->addLayout(titleLine);
    layout->addWidget(summaryLabel);
    layout->addWidget(m_progress);
    layout->addWidget(m_note);
    layout->addLayout(m_buttons);
}

QString SpeechModelRow::title() const { return m_title->text(); }

void SpeechModelRow::setTitle(const QString& title) { m_title->setText(title); }

void SpeechModelRow::setActive(bool active) { m_badge->setVisible(active); }

void SpeechModelRow::setProgress(const DownloadProgress* progress) { m_progress->setProgress(progress); }

void SpeechModelRow::setNote(const QString& text, bool problem) { m_note->setNote(text, problem); }

QPushButton* SpeechModelRow::addButton(const QString& text, const QString& objectName) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(objectName);
    SettingsStyle::setRole(button, SettingsStyle::Role::button);
    m_buttons->addWidget(button);
    return button;
}

QPushButton* SpeechModelRow::button(const QString& objectName) const { return findChild<QPushButton*>(objectName); }

}  // namespace vocena
