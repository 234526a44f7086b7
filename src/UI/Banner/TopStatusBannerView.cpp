#include "UI/Banner/TopStatusBannerView.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Preferences.h"
#include "UI/Banner/BannerStyle.h"
#include "UI/Banner/PulseDot.h"
#include "Infrastructure/LLM/AISettingsStore.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vocena {

namespace {

using Kind = RecognitionState::Kind;

constexpr int kPadding = 14;
constexpr int kVerticalPadding = 8;
constexpr int kSpacing = 8;
constexpr int kLiveLineHeight = 16;

bool isRecording(Kind kind) { return kind == Kind::listening || kind == Kind::recognizing; }

QColor colorOf(Kind kind) {
    switch (kind) {
    case Kind::idle: return BannerStyle::gray();
    case Kind::listening:
    case Kind::recognizing: return BannerStyle::brand();
    case Kind::aiProcessing: return BannerStyle::purple();
    case Kind::completed: return BannerStyle::green();
    case Kind::error: return BannerStyle::red();
    }
    return BannerStyle::gray();
}

QString textOf(Kind kind) {
    switch (kind) {
    case Kind::idle: return QStringLiteral("待机");
    case Kind::listening:
    case Kind::recognizing: return QStringLiteral("文字识别中");
    case Kind::aiProcessing: return QStringLiteral("AI 处理中");
    case Kind::completed: return QStringLiteral("识别完成");
    case Kind::error: return QStringLiteral("识别出错");
    }
    return {};
}

QLabel* label(const QString& text, int pixelSize, QFont::Weight weight, const QColor& color) {
    auto* label = new QLabel(text);
    label->setFont(BannerStyle::font(pixelSize, weight));
    label->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(BannerStyle::rgba(color)));
    return label;
}

QLabel* middleDot() { return label(QStringLiteral("·"), 13, QFont::Bold, BannerStyle::withAlpha(Qt::white, 0.5)); }

}  // namespace

TopStatusBannerView::TopStatusBannerView(Scheduler& scheduler, Preferences& preferences, QWidget* parent)
    : QWidget(parent), m_scheduler(scheduler), m_preferences(preferences), m_dot(new PulseDot),
      m_modeTag(label({}, 10, QFont::Medium, Qt::white)), m_status(label({}, 11, QFont::Medium, Qt::white)),
      m_duration(label({}, 11, QFont::Medium, BannerStyle::withAlpha(BannerStyle::brand(), 0.8))),
      m_liveText(label({}, 12, QFont::Normal, BannerStyle::withAlpha(Qt::white, 0.85))) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_duration->setStyleSheet(QStringLiteral("color: %1; background: %2; border-radius: 4px; padding: 2px 6px;")
                                  .arg(BannerStyle::rgba(BannerStyle::withAlpha(BannerStyle::brand(), 0.8)),
                                       BannerStyle::rgba(BannerStyle::withAlpha(BannerStyle::brand(), 0.08))));

    // The dot's widget is wider than the dot: its margin comes off the padding and spacing.
    const int dotMargin = (PulseDot::kSide - 8) / 2;
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_dot);
    row->addSpacing(kSpacing - dotMargin);
    auto* brand = label(QStringLiteral("澄言"), 12, QFont::DemiBold, Qt::white);
    // The title group ("澄言 · tag") and the status group ("· status") are spaced as the row is,
    // their own items closer together.
    const std::pair<QWidget*, int> items[]{{brand, 0}, {middleDot(), 4}, {m_modeTag, 4}, {middleDot(), kSpacing}, {m_status, 4}};
    for (const auto& [item, spacingBefore] : items) {
        if (spacingBefore) row->addSpacing(spacingBefore);
        row->addWidget(item);
    }
    row->addStretch(1);
    row->addWidget(m_duration);

    m_liveText->setIndent(dotMargin);
    m_liveText->setFixedHeight(kLiveLineHeight);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding - dotMargin, kVerticalPadding, kPadding, kVerticalPadding);
    column->setSpacing(4);
    column->addLayout(row);
    column->addWidget(m_liveText);
    column->addStretch(1);

    refreshWorkMode();
    setRecognitionState(RecognitionState::idle());
}

TopStatusBannerView::~TopStatusBannerView() { stopTimer(); }

void TopStatusBannerView::observe(VoiceInputService& service) {
    disconnect(m_stateConnection);
    disconnect(m_textConnection);
    disconnect(m_recordingConnection);
    m_service = &service;
    m_recordingConnection = connect(&service, &VoiceInputService::isRecordingChanged, this, [this](bool recording) {
        if (recording) return;
        m_stopped = true;
        stopTimer();
    });
    m_stateConnection = connect(&service, &VoiceInputService::recognitionStateChanged, this,
                                &TopStatusBannerView::setRecognitionState);
    m_textConnection = connect(&service, &VoiceInputService::recognizedTextChanged, this, &TopStatusBannerView::setPartialText);
    m_partialText = service.recognizedText();
    setRecognitionState(service.recognitionState());
    if (!service.isRecording()) {
        m_stopped = true;
        stopTimer();
    }
}

void TopStatusBannerView::setRecognitionState(const RecognitionState& state) {
    const Kind kind = state.kind();
    if (isRecording(kind)) {
        // A recording starts listening; moving on to recognizing keeps the count running.
        if (kind == Kind::listening || !isRecording(m_lastState.kind())) {
            m_tenths = 0;
            m_stopped = false;
            startTimer();
        }
    } else {
        stopTimer();
    }
    m_lastState = state;
    m_dot->setColor(colorOf(kind));
    m_status->setText(textOf(kind));
    m_duration->setVisible(isRecording(kind));
    updateDuration();
    updateLiveText();
}

void TopStatusBannerView::setPartialText(const QString& text) {
    m_partialText = text;
    updateLiveText();
}

void TopStatusBannerView::refreshWorkMode() {
    m_workMode = m_preferences.intValue(QString::fromLatin1(AISettingsStore::kWorkModeKey)).value_or(0) == 0 ? 0 : 1;
    const QColor color = workModeColor();
    m_modeTag->setText(workModeTag());
    m_modeTag->setStyleSheet(QStringLiteral("color: %1; background: %2; border-radius: 7px; padding: 1px 4px;")
                                 .arg(BannerStyle::rgba(color), BannerStyle::rgba(BannerStyle::withAlpha(color, 0.18))));
}

QString TopStatusBannerView::statusText() const { return m_status->text(); }
QColor TopStatusBannerView::statusColor() const { return m_dot->color(); }
QString TopStatusBannerView::workModeTag() const { return m_workMode == 0 ? QStringLiteral("输入法") : QStringLiteral("助手"); }
QColor TopStatusBannerView::workModeColor() const { return m_workMode == 0 ? BannerStyle::green() : BannerStyle::orange(); }
QString TopStatusBannerView::durationText() const { return m_duration->isVisibleTo(this) ? m_duration->text() : QString(); }
QString TopStatusBannerView::liveText() const { return m_liveText->isVisibleTo(this) ? m_liveText->text() : QString(); }
bool TopStatusBannerView::isPulsing() const { return m_dot->isPulsing(); }

void TopStatusBannerView::showEvent(QShowEvent*) {
    // A banner shown again in the middle of a recording goes on counting from where it was.
    if (isRecording(m_lastState.kind()) && !m_stopped && !m_tick) startTimer();
}

void TopStatusBannerView::hideEvent(QHideEvent*) { stopTimer(); }

void TopStatusBannerView::startTimer() {
    stopTimer();
    scheduleTick();
}

void TopStatusBannerView::stopTimer() {
    if (m_tick) m_tick->cancel();
    m_tick.reset();
}

void TopStatusBannerView::scheduleTick() {
    m_tick = m_scheduler.schedule(0.1, [this] {
        ++m_tenths;
        updateDuration();
        scheduleTick();
    });
}

void TopStatusBannerView::updateDuration() {
    m_duration->setText(QStringLiteral("%1.%2秒").arg(m_tenths / 10).arg(m_tenths % 10));
}

void TopStatusBannerView::updateLiveText() {
    const bool wanted = isRecording(m_lastState.kind()) && !m_partialText.isEmpty() &&
                        m_preferences.boolValue(QString::fromLatin1(kLiveTextKey)).value_or(true);
    if (wanted) {
        const int width = kWidth - 2 * kPadding;
        m_liveText->setText(m_liveText->fontMetrics().elidedText(m_partialText, Qt::ElideLeft, width));
    } else {
        m_liveText->clear();
    }
    m_liveText->setVisible(wanted);
    setFixedSize(kWidth, wanted ? kHeightWithLiveText : kHeight);
}

}  // namespace vocena
