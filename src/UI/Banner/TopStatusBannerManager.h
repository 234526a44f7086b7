#pragma once

#include "UI/Banner/BannerPanel.h"
#include "UI/Banner/BannerPlacement.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

namespace vocena {

class Preferences;
class Scheduler;
class TopStatusBannerView;
class TermSuggestionView;
class VoiceInputService;
class WorkItem;

// Owns the one floating panel at the top centre of the screen under the mouse, showing one
// of three kinds of content: the live dictation banner (kept and reused across recordings),
// a short notification, or a term suggestion with two buttons. Main thread only.
class TopStatusBannerManager final : public QObject {
    Q_OBJECT
public:
    enum class ContentType { banner, notification, suggestion };

    // What the manager needs from the desktop; tests replace the screens, the mouse, the
    // compositor check and the timers.
    struct Environment {
        Scheduler& scheduler;
        Preferences& preferences;
        BannerPlacement::ScreenList screens = BannerPlacement::desktopScreens;
        BannerPlacement::CursorPosition cursor = BannerPlacement::cursorPosition;
        std::function<bool()> compositorRunning = defaultCompositorCheck;

        static bool defaultCompositorCheck();
    };

    static constexpr double kSuggestionTimeout = 8.0;
    static constexpr double kLongNotice = 5.0;

    explicit TopStatusBannerManager(Environment environment, QObject* parent = nullptr);
    ~TopStatusBannerManager() override;

    // The live banner for `service`: a hidden or shown banner panel is moved to the screen
    // under the mouse and reused; other content is replaced (a suggestion shown then is given
    // back with `suggestionDisplaced`). Cancels a pending hide.
    void show(VoiceInputService& service);
    // While the live banner shows a recording, a notice waits until the banner has gone
    // (the recording's own banner and timer stay); notices that wait are shown one by one. A
    // long notice (one that carries what the user must read, such as words kept nowhere else)
    // that a new recording's banner replaces comes back after it.
    void showNotification(const QString& message, double duration);
    // Replaces whatever is shown; a suggestion left unanswered goes away after 8 s without
    // calling either callback. A button closes the panel, then calls its callback.
    void showSuggestionBanner(const QString& term, const std::optional<QString>& category, std::function<void()> onAdd,
                              std::function<void()> onDismiss);
    // Hides the panel after `delay` seconds (at once for 0 or less), replacing a pending hide.
    void hide(double delay);
    // As hide(), but only when the live banner is what is shown: a notice keeps its own time.
    void hideBanner(double delay);
    // The live banner is on screen for a recording in progress.
    bool isShowingRecording() const;
    qsizetype waitingNoticeCount() const { return m_waitingNotices.size(); }
    // Removes the panel at once.
    void close();

    BannerPanel* panel() const { return m_panel; }
    ContentType currentContentType() const { return m_contentType; }
    // The live banner's content while the panel holds it; else null.
    TopStatusBannerView* bannerView() const;
    TermSuggestionView* suggestionView() const;
    // Nothing is on screen: no panel, or a hidden one.
    bool isIdle() const;

Q_SIGNALS:
    // The shown content went away by itself (its time ran out, or the dictation hid it).
    void hidden();
    // An unanswered suggestion was replaced by the live banner of a new recording.
    void suggestionDisplaced();

private:
    std::optional<ScreenGeometry> currentScreen() const;
    void present(QWidget* content, BannerPanel::Input input, ContentType type, const ScreenGeometry& screen);
    void cancelAutoHide();
    void hideNow();
    void showNextWaitingNotice();

    struct Notice {
        QString message;
        double duration;
    };

    Environment m_environment;
    QPointer<VoiceInputService> m_liveService;
    QList<Notice> m_waitingNotices;
    std::optional<Notice> m_shownNotice;  // the notification on screen
    QPointer<BannerPanel> m_panel;
    ContentType m_contentType = ContentType::banner;
    std::shared_ptr<WorkItem> m_autoHide;
};

}  // namespace vocena
