#pragma once

#include "Core/VoiceInputServiceDelegate.h"

namespace vocena {

class BannerNotifier;

// The dictation's messages in the tray app: typing problems as warning boxes (shown without
// blocking, one per message), text left on the clipboard as a short banner notice.
class AppAlerts final : public VoiceInputAlerts {
public:
    static constexpr double kClipboardNoticeDuration = 3.0;

    explicit AppAlerts(BannerNotifier& banner) : m_banner(banner) {}

    void showAccessibilityAlert() override;
    void showInjectionError(const QString& description) override;
    void showTextLeftOnClipboard(const QString& notice) override;

private:
    BannerNotifier& m_banner;
};

}  // namespace vocena
