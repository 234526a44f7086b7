#include "UI/Banner/TopStatusBannerManager.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/X11/X11Display.h"
#include "UI/Banner/BannerPanel.h"
#include "UI/Banner/BannerStyle.h"
#include "UI/Banner/LayerShellBannerSurface.h"
#include "UI/Banner/TermSuggestionView.h"
#include "UI/Banner/TopStatusBannerView.h"
#include "UI/Banner/X11CompositorProbe.h"

#include <QGuiApplication>
#include <QLabel>
#include <algorithm>

namespace vocena {

namespace {

const Logger logger("TopStatusBanner");

// The floating window level the panel is kept at, as the log reports it.
constexpr long kFloatingLevel = 3;

// The tallest a notification grows for a long message (a dictated text shown in full).
constexpr int kNotificationMaximumHeight = 240;
constexpr int kNotificationPadding = 12;

QWidget* notificationContent(const QString& message) {
    auto* label = new QLabel(message);
    label->setFont(BannerStyle::font(13, QFont::Medium));
    label->setAlignment(Qt::AlignCenter);
    // One line in the banner's own size; a longer message wraps and the banner grows downwards.
    label->setWordWrap(true);
    label->setContentsMargins(kNotificationPadding, 0, kNotificationPadding, 0);
    const int needed = label->heightForWidth(TopStatusBannerView::kWidth) + kNotificationPadding;
    label->setFixedSize(TopStatusBannerView::kWidth, std::clamp(needed, TopStatusBannerView::kHeight, kNotificationMaximumHeight));
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

QString frameText(const QRect& frame) {
    return QStringLiteral("{{%1, %2}, {%3, %4}}").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height());
}

}  // namespace

bool TopStatusBannerManager::Environment::defaultCompositorCheck() {
    // A Wayland compositor always blends translucent pixels.
    if (QGuiApplication::platformName() == QLatin1String("wayland")) return true;
    return X11Display::available() && X11CompositorProbe::compositorRunning();
}

TopStatusBannerManager::TopStatusBannerManager(Environment environment, QObject* parent)
    : QObject(parent), m_environment(std::move(environment)) {}

TopStatusBannerManager::~TopStatusBannerManager() {
    cancelAutoHide();
    delete m_panel.data();
}

TopStatusBannerView* TopStatusBannerManager::bannerView() const {
    if (!m_panel || m_contentType != ContentType::banner) return nullptr;
    return static_cast<TopStatusBannerView*>(m_panel->content());
}

TermSuggestionView* TopStatusBannerManager::suggestionView() const {
    if (!m_panel || m_contentType != ContentType::suggestion) return nullptr;
    return static_cast<TermSuggestionView*>(m_panel->content());
}

std::optional<ScreenGeometry> TopStatusBannerManager::currentScreen() const {
    return BannerPlacement::screenUnder(m_environment.screens(), m_environment.cursor());
}

void TopStatusBannerManager::present(QWidget* content, BannerPanel::Input input, ContentType type, const ScreenGeometry& screen) {
    auto* panel = new BannerPanel(content, input, m_environment.compositorRunning());
    LayerShellBannerSurface::attach(*panel);
    m_panel = panel;
    m_contentType = type;
    panel->present(BannerPlacement::topCentre(screen.available, panel->content()->size()));
}

void TopStatusBannerManager::close() {
    cancelAutoHide();
    if (!m_panel) return;
    m_panel->hide();
    // The panel may be closing from inside one of its own buttons' signals.
    m_panel->deleteLater();
    m_panel = nullptr;
}

void TopStatusBannerManager::show(VoiceInputService& service) {
    logger.debug(QStringLiteral("show() 被调用"));
    // A pending hide of the previous recording must not hide this one.
    cancelAutoHide();
    m_liveService = &service;
    const std::optional<ScreenGeometry> screen = currentScreen();
    if (!screen) {
        logger.error(QStringLiteral("无法获取屏幕"));
        return;
    }
    if (TopStatusBannerView* view = bannerView()) {
        view->observe(service);
        view->refreshWorkMode();
        m_panel->present(BannerPlacement::topCentre(screen->available, view->size()));
        logger.debug(QStringLiteral("复用现有 panel"));
        return;
    }
    const bool displacesSuggestion = m_panel && m_contentType == ContentType::suggestion && m_panel->isVisible();
    if (m_panel && m_contentType == ContentType::notification && m_panel->isVisible() && m_shownNotice &&
        m_shownNotice->duration > kLongNotice)
        m_waitingNotices.prepend(*m_shownNotice);
    close();
    if (displacesSuggestion) Q_EMIT suggestionDisplaced();
    auto* view = new TopStatusBannerView(m_environment.scheduler, m_environment.preferences);
    view->observe(service);
    present(view, BannerPanel::Input::clickThrough, ContentType::banner, *screen);
    logger.debug(QStringLiteral("panel已显示, isVisible=%1, level=%2, frame=%3")
                     .arg(Logging::boolText(m_panel->isVisible()))
                     .arg(kFloatingLevel)
                     .arg(frameText(m_panel->geometry())));
}

bool TopStatusBannerManager::isShowingRecording() const {
    return bannerView() && m_panel->isVisible() && m_liveService && m_liveService->isRecording();
}

void TopStatusBannerManager::showNotification(const QString& message, double duration) {
    if (isShowingRecording()) {
        logger.info(QStringLiteral("录音中，通知稍后显示"));
        m_waitingNotices.append({message, duration});
        return;
    }
    close();
    const std::optional<ScreenGeometry> screen = currentScreen();
    if (!screen) return;
    present(notificationContent(message), BannerPanel::Input::clickThrough, ContentType::notification, *screen);
    m_shownNotice = Notice{message, duration};
    hide(duration);
}

void TopStatusBannerManager::showSuggestionBanner(const QString& term, const std::optional<QString>& category,
                                                  std::function<void()> onAdd, std::function<void()> onDismiss) {
    close();
    const std::optional<ScreenGeometry> screen = currentScreen();
    if (!screen) return;
    auto* view = new TermSuggestionView(term, category);
    // The connections die with the manager: a button pressed after it is gone does nothing.
    connect(view, &TermSuggestionView::addClicked, this, [this, onAdd = std::move(onAdd)] {
        close();
        if (onAdd) onAdd();
    });
    connect(view, &TermSuggestionView::dismissClicked, this, [this, onDismiss = std::move(onDismiss)] {
        close();
        if (onDismiss) onDismiss();
    });
    present(view, BannerPanel::Input::acceptsClicks, ContentType::suggestion, *screen);
    hide(kSuggestionTimeout);
}

void TopStatusBannerManager::hide(double delay) {
    logger.debug(QStringLiteral("hide(afterDelay: %1) 被调用").arg(delay, 0, 'f', 6));
    cancelAutoHide();
    if (delay > 0) {
        m_autoHide = m_environment.scheduler.schedule(delay, [self = QPointer<TopStatusBannerManager>(this)] {
            if (self) self->hideNow();
        });
    } else {
        hideNow();
    }
}

void TopStatusBannerManager::hideBanner(double delay) {
    if (m_contentType == ContentType::banner) hide(delay);
}

void TopStatusBannerManager::cancelAutoHide() {
    if (m_autoHide) m_autoHide->cancel();
    m_autoHide.reset();
}

void TopStatusBannerManager::hideNow() {
    logger.debug(QStringLiteral("hideNow() 被调用"));
    // The panel and its kind stay: the next live banner reuses a hidden banner panel.
    if (!m_panel || !m_panel->isVisible()) return;
    m_panel->hide();
    if (!m_waitingNotices.isEmpty()) {
        showNextWaitingNotice();
        return;
    }
    Q_EMIT hidden();
}

void TopStatusBannerManager::showNextWaitingNotice() {
    const Notice next = m_waitingNotices.takeFirst();
    showNotification(next.message, next.duration);
}

bool TopStatusBannerManager::isIdle() const {
    return !m_panel || !m_panel->isVisible();
}

}  // namespace vocena
