#include "UI/Permissions/PermissionRow.h"

#include "UI/Permissions/PermissionSymbols.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
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

QString megabytes(qint64 bytes) { return QString::number(double(bytes) / 1e6, 'f', 1); }

QColor secondaryText(const QPalette& palette) {
    QColor color = palette.color(QPalette::WindowText);
    color.setAlphaF(0.6);
    return color;
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
    QFont titleFont = title->font();
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* detailText = new QLabel(description(type), this);
    detailText->setObjectName(QStringLiteral("descriptionLabel"));
    detailText->setWordWrap(true);
    QFont captionFont = detailText->font();
    captionFont.setPointSizeF(captionFont.pointSizeF() * 0.9);
    detailText->setFont(captionFont);
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("noteLabel"));
    m_note->setWordWrap(true);
    m_note->setFont(captionFont);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_note->hide();
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("installProgress"));
    m_progress->setTextVisible(false);
    m_progress->setFixedHeight(6);
    m_progressText = new QLabel(this);
    m_progressText->setFont(captionFont);
    m_progressText->setObjectName(QStringLiteral("installProgressText"));
    m_progress->hide();
    m_progressText->hide();

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(title);
    texts->addWidget(detailText);
    texts->addWidget(m_progress);
    texts->addWidget(m_progressText);
    texts->addWidget(m_note);
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

void PermissionRow::setNote(const QString& text, bool problem) {
    if (text == m_note->text() && problem == m_noteIsProblem) return;
    m_note->setText(text);
    m_note->setVisible(!text.isEmpty());
    m_noteIsProblem = problem;
    paint();
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
    QPalette notePalette = m_note->palette();
    notePalette.setColor(QPalette::WindowText, m_noteIsProblem ? PermissionSymbols::red(colors) : secondaryText(colors));
    m_note->setPalette(notePalette);
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
    m_progress->setVisible(installing);
    m_progressText->setVisible(installing);
    if (installing) {
        const bool measurable = m_install.total > 0 && !m_install.downloaded();
        m_progress->setRange(0, measurable ? 1000 : 0);  // 0..0: busy
        if (measurable) m_progress->setValue(int(m_install.received * 1000 / m_install.total));
        if (m_install.downloaded()) {
            m_progressText->setText(QStringLiteral("正在解压并验证模型…"));
        } else if (m_install.total > 0) {
            m_progressText->setText(QStringLiteral("正在下载 %1 / %2 MB").arg(megabytes(m_install.received), megabytes(m_install.total)));
        } else if (m_install.received > 0) {
            m_progressText->setText(QStringLiteral("正在下载 %1 MB").arg(megabytes(m_install.received)));
        } else {
            m_progressText->setText(QStringLiteral("正在准备下载…"));
        }
    }

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
