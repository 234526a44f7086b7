#pragma once

#include "Core/VoiceInputServiceDelegate.h"

namespace vocena {

class BannerNotifier;

// The dictation's messages in the tray app: typing problems as warning boxes (shown without
// blocking, one per message), text left on the clipboard as a short banner notice, a text
// that nothing could keep in a longer one that shows it.
class AppAlerts final : public VoiceInputAlerts {
public:
    static constexpr double kClipboardNoticeDuration = 3.0;
    // Long enough to read a dictated text shown because nothing could keep it.
    static constexpr double kTextNotKeptDuration = 20.0;

    explicit AppAlerts(BannerNotifier& banner) : m_banner(banner) {}

    void showAccessibilityAlert() override;
    void showInjectionError(const QString& description) override;
    void showTextLeftOnClipboard(const QString& notice) override;
    void showTextNotKept(const QString& notice, const QString& text) override;

private:
    BannerNotifier& m_banner;
};

}  // namespace vocena
