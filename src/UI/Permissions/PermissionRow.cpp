#include "UI/Permissions/PermissionRow.h"

#include "UI/Common/InstallProgressView.h"
#include "UI/Common/NoteLabel.h"
#include "UI/Common/WidgetHelpers.h"
#include "UI/Permissions/PermissionSymbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vocena {

namespace {

using PermissionSymbols::Symbol;

Symbol symbolOf(PermissionType type) {
    switch (type) {
    case PermissionType::microphone: return Symbol::microphone;
    case PermissionType::accessibility: return Symbol::accessibility;
    case PermissionType::speechRecognition: return Symbol::waveform;
    }
    return Symbol::microphone;
}

}  // namespace

QString PermissionRow::description(PermissionType type) {
    switch (type) {
    case PermissionType::microphone: return QStringLiteral("澄言需要访问麦克风来录制您的语音输入");
    case PermissionType::accessibility: return QStringLiteral("澄言需要辅助功能权限来将识别的文本注入到任何应用中");
    case PermissionType::speechRecognition: return QStringLiteral("澄言需要使用系统语音识别服务将语音转换为文字");
    }
    return {};
}

PermissionRow::PermissionRow(PermissionType type, QWidget* parent) : QFrame(parent), m_type(type) {
    setObjectName(QStringLiteral("permissionRow"));
    m_symbol = new QLabel(this);
    m_symbol->setFixedSize(28, 28);
    m_symbol->setAlignment(Qt::AlignCenter);

    auto* title = new QLabel(rawValue(type), this);
    title->setObjectName(QStringLiteral("titleLabel"));
    WidgetHelpers::setFont(title, 1.0, true);
    auto* detailText = new QLabel(description(type), this);
    detailText->setObjectName(QStringLiteral("descriptionLabel"));
    detailText->setWordWrap(true);
    WidgetHelpers::setFont(detailText, WidgetHelpers::kCaptionScale);
    m_note = new NoteLabel(this);
    m_note->setObjectName(QStringLiteral("noteLabel"));
    m_progress = new InstallProgressView(this);
    m_offer = new QWidget(this);
    m_offer->setObjectName(QStringLiteral("offer"));
    m_offerText = new QLabel(m_offer);
    m_offerText->setObjectName(QStringLiteral("offerText"));
    m_offerText->setWordWrap(true);
    WidgetHelpers::setFont(m_offerText, WidgetHelpers::kCaptionScale);
    auto* accept = new QPushButton(QStringLiteral("下载"), m_offer);
    accept->setObjectName(QStringLiteral("offerButton"));
    connect(accept, &QPushButton::clicked, this, &PermissionRow::offerAccepted);
    auto* offerLine = new QHBoxLayout(m_offer);
    offerLine->setContentsMargins(0, 2, 0, 0);
    offerLine->setSpacing(8);
    offerLine->addWidget(m_offerText, 1);
    offerLine->addWidget(accept, 0, Qt::AlignVCenter);
    m_offer->hide();

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title);
    texts->addWidget(detailText);
    texts->addWidget(m_progress);
    texts->addWidget(m_note);
    texts->addWidget(m_offer);
    texts->addStretch(1);

    m_action = new QPushButton(this);
    m_action->setObjectName(QStringLiteral("actionButton"));
    connect(m_action, &QPushButton::clicked, this, &PermissionRow::onAction);
    m_statusIcon = new QLabel(this);
    m_statusIcon->setObjectName(QStringLiteral("statusIcon"));
    m_statusIcon->setFixedSize(22, 22);
    m_restricted = new QLabel(QStringLiteral("受限"), this);
    m_restricted->setObjectName(QStringLiteral("restrictedLabel"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(10);
    row->addWidget(m_symbol, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(m_statusIcon, 0, Qt::AlignVCenter);
    row->addWidget(m_restricted, 0, Qt::AlignVCenter);
    row->addWidget(m_action, 0, Qt::AlignVCenter);
    paint();
    refresh();
}

void PermissionRow::setStatus(PermissionStatus status) {
    if (status == m_status) return;
    m_status = status;
    paint();
    refresh();
}

void PermissionRow::setInstall(const PermissionGuidanceViewModel::ModelInstall& install) {
    m_install = install;
    refresh();
}

void PermissionRow::setNote(const QString& text, bool problem) { m_note->setNote(text, problem); }

void PermissionRow::setOffer(const QString& text) {
    m_offerText->setText(text);
    m_offer->setVisible(!text.isEmpty());
}

void PermissionRow::onAction() {
    if (m_install.running) {
        Q_EMIT cancelRequested();
    } else if (m_status == PermissionStatus::denied) {
        Q_EMIT openSettingsRequested(m_type);
    } else if (m_status == PermissionStatus::notDetermined) {
        Q_EMIT requested(m_type);
    }
}

void PermissionRow::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) paint();
}

void PermissionRow::paint() {
    const QPalette& colors = palette();
    const qreal ratio = devicePixelRatioF();
    m_symbol->setPixmap(PermissionSymbols::pixmap(symbolOf(m_type), colors.color(QPalette::Highlight), 24, ratio));
    if (m_status == PermissionStatus::authorized)
        m_statusIcon->setPixmap(PermissionSymbols::pixmap(Symbol::checkmarkCircle, PermissionSymbols::green(colors), 22, ratio));
    if (m_status == PermissionStatus::restricted) {
        m_statusIcon->setPixmap(PermissionSymbols::pixmap(Symbol::warningTriangle, PermissionSymbols::orange(colors), 22, ratio));
        QPalette restrictedPalette = m_restricted->palette();
        restrictedPalette.setColor(QPalette::WindowText, PermissionSymbols::orange(colors));
        m_restricted->setPalette(restrictedPalette);
    }
}

void PermissionRow::refresh() {
    const bool installing = m_install.running;
    m_progress->setProgress(installing ? &m_install.progress : nullptr);

    const bool authorized = m_status == PermissionStatus::authorized;
    const bool restricted = m_status == PermissionStatus::restricted;
    m_statusIcon->setVisible(!installing && (authorized || restricted));
    m_restricted->setVisible(!installing && restricted);
    m_action->setVisible(installing || (!authorized && !restricted));
    if (installing) {
        m_action->setText(QStringLiteral("取消"));
    } else if (m_status == PermissionStatus::denied) {
        m_action->setText(QStringLiteral("去开启"));
    } else {
        m_action->setText(QStringLiteral("授权"));
    }
    updateGeometry();
}

}  // namespace vocena
