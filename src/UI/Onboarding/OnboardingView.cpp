#include "UI/Onboarding/OnboardingView.h"

#include "Infrastructure/Platform/Clock.h"
#include "UI/Onboarding/GuideCard.h"
#include "UI/Onboarding/RevealSlot.h"
#include "UI/Permissions/PermissionSymbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vocena {

namespace {

constexpr int kHeaderSymbolSize = 44;

QString rgba(QColor color, double alpha) {
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(color.red()).arg(color.green()).arg(color.blue()).arg(alpha);
}

QList<GuideCard::Content> guideContents() {
    using OnboardingSymbols::Symbol;
    return {
        {Symbol::altKey, QStringLiteral("双击 Alt 开始/停止"), QStringLiteral("按两下 Alt 键开始录音，再次双击停止并输出文字"),
         OnboardingSymbols::blue},
        {Symbol::key, QStringLiteral("配置 API Key 解锁 AI 能力"), QStringLiteral("DeepSeek / OpenAI 兼容接口均可使用"),
         PermissionSymbols::orange, QStringLiteral("去设置")},
        {Symbol::swap, QStringLiteral("两种工作模式"),
         QStringLiteral("澄言 = 语音输入法（文字直出）\n澄言慢 = 语音助手（对话式 AI）\nAlt + Ctrl 快速切换"), PermissionSymbols::green},
        {Symbol::book, QStringLiteral("专业词汇库"), QStringLiteral("添加人名、术语提升识别准确率，支持 CSV 批量导入"),
         OnboardingSymbols::purple},
    };
}

}  // namespace

OnboardingView::OnboardingView(Scheduler& scheduler, std::function<void(bool)> onDismiss, std::function<void()> onOpenSettings,
                               QWidget* parent)
    : QWidget(parent), m_scheduler(scheduler), m_onDismiss(std::move(onDismiss)), m_onOpenSettings(std::move(onOpenSettings)) {
    setObjectName(QStringLiteral("onboardingView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 26, 24, 20);
    layout->setSpacing(10);
    m_header = new RevealSlot(buildHeader(), this);
    layout->addWidget(m_header);
    layout->addSpacing(8);
    const QList<GuideCard::Content> contents = guideContents();
    for (int i = 0; i < kCardCount; ++i) {
        m_cards[i] = new GuideCard(contents[i]);
        m_cardSlots[i] = new RevealSlot(m_cards[i], this);
        layout->addWidget(m_cardSlots[i]);
    }
    connect(settingsButton(), &QPushButton::clicked, this, [this] {
        if (m_onOpenSettings) m_onOpenSettings();
    });
    layout->addStretch(1);
    layout->addWidget(buildFooter());
    setStyleSheet(styleSheetText());
}

OnboardingView::~OnboardingView() = default;

QWidget* OnboardingView::buildHeader() {
    auto* header = new QWidget;
    m_headerSymbol = new QLabel(header);
    m_headerSymbol->setFixedSize(kHeaderSymbolSize, kHeaderSymbolSize);
    paintHeaderSymbol();
    auto* title = new QLabel(QStringLiteral("欢迎使用澄言"), header);
    title->setObjectName(QStringLiteral("welcomeTitle"));
    auto* subtitle = new QLabel(QStringLiteral("智能语音输入法，让说话代替打字"), header);
    subtitle->setObjectName(QStringLiteral("welcomeSubtitle"));

    auto* layout = new QVBoxLayout(header);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(m_headerSymbol, 0, Qt::AlignHCenter);
    layout->addWidget(title, 0, Qt::AlignHCenter);
    layout->addWidget(subtitle, 0, Qt::AlignHCenter);
    return header;
}

QWidget* OnboardingView::buildFooter() {
    auto* footer = new QWidget(this);
    m_dismiss = new QPushButton(QStringLiteral("不再提示"), footer);
    m_dismiss->setObjectName(QStringLiteral("dismissButton"));
    m_dismiss->setFlat(true);
    m_start = new QPushButton(QStringLiteral("开始使用"), footer);
    m_start->setObjectName(QStringLiteral("startButton"));
    m_start->setDefault(true);
    for (QPushButton* button : {m_dismiss, m_start}) button->setCursor(Qt::PointingHandCursor);
    connect(m_dismiss, &QPushButton::clicked, this, [this] {
        if (m_onDismiss) m_onDismiss(true);
    });
    connect(m_start, &QPushButton::clicked, this, [this] {
        if (m_onDismiss) m_onDismiss(false);
    });

    auto* layout = new QHBoxLayout(footer);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_dismiss);
    layout->addStretch(1);
    layout->addWidget(m_start);
    return footer;
}

bool OnboardingView::appear() const { return m_header->isRevealed(); }

std::array<bool, OnboardingView::kCardCount> OnboardingView::cardAppears() const {
    std::array<bool, kCardCount> appears{};
    for (int i = 0; i < kCardCount; ++i) appears[i] = m_cardSlots[i]->isRevealed();
    return appears;
}

QPushButton* OnboardingView::settingsButton() const { return m_cards[1]->button(); }

void OnboardingView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_appearanceStarted) startAppearance();
}

void OnboardingView::startAppearance() {
    m_appearanceStarted = true;
    m_header->reveal();
    for (int i = 0; i < kCardCount; ++i) {
        RevealSlot* slot = m_cardSlots[i];
        m_pendingReveals.push_back(m_scheduler.schedule(kCardRevealDelays[i], [slot] { slot->reveal(); }));
    }
}

void OnboardingView::paintHeaderSymbol() {
    m_headerSymbol->setPixmap(
        PermissionSymbols::pixmap(PermissionSymbols::Symbol::waveform, brandColor(), kHeaderSymbolSize, devicePixelRatioF()));
}

void OnboardingView::restyle() {
    // Without a sheet the view and its children take the window's palette again.
    setStyleSheet({});
    setStyleSheet(styleSheetText());
}

QString OnboardingView::styleSheetText() const {
    const QPalette& p = palette();
    const bool dark = PermissionSymbols::isDark(p);
    const QColor text = p.color(QPalette::WindowText);
    const QColor orange = PermissionSymbols::orange(p);
    const QColor brand = brandColor();
    return QStringLiteral(
                      "#welcomeTitle { font-size: 22px; font-weight: bold; }"
                      "#welcomeSubtitle { font-size: 13px; color: %1; }"
                      "#guideCard { background: %2; border: 1px solid %3; border-radius: 12px; }"
                      "#guideTitle { font-size: 14px; font-weight: bold; }"
                      "#guideDescription { font-size: 12px; color: %1; }"
                      "#guideButton { font-size: 12px; color: %4; background: %5; border: none; border-radius: 6px;"
                      " padding: 4px 10px; }"
                      "#guideButton:hover { background: %6; }"
                      "#dismissButton { color: %1; background: transparent; border: none; padding: 6px 8px; font-size: 13px; }"
                      "#dismissButton:hover { color: %7; }"
                      "#startButton { color: white; background: %8; border: none; border-radius: 8px; padding: 7px 22px;"
                      " font-size: 13px; font-weight: bold; }"
                      "#startButton:hover { background: %9; }"
                      "#startButton:pressed { background: %10; }")
                      .arg(rgba(text, 0.62), dark ? rgba(Qt::white, 0.06) : rgba(Qt::white, 0.85), rgba(text, dark ? 0.12 : 0.08),
                           orange.name(), rgba(orange, 0.14), rgba(orange, 0.24), text.name(), brand.name(),
                           brand.lighter(110).name())
                      .arg(brand.darker(115).name());
}

}  // namespace vocena
