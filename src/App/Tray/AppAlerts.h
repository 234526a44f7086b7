#pragma once

#include "Core/VoiceInputServiceDelegate.h"

#include <functional>

namespace vocena {

class BannerNotifier;

// The dictation's messages in the tray app: typing problems as warning boxes (shown without
// blocking, one per message; the one for a desktop where nothing types names what is missing
// there and offers its help page), text left on the clipboard as a short banner notice, a text
// that nothing could keep in a longer one that shows it.
class AppAlerts final : public VoiceInputAlerts {
public:
    static constexpr double kClipboardNoticeDuration = 3.0;
    // Long enough to read a dictated text shown because nothing could keep it.
    static constexpr double kTextNotKeptDuration = 20.0;

    // `openHelp` opens the typing permission's help page ("打开帮助"); empty: the page itself.
    explicit AppAlerts(BannerNotifier& banner, std::function<void()> openHelp = {})
        : m_banner(banner), m_openHelp(std::move(openHelp)) {}

    void showAccessibilityAlert() override;
    void showInjectionError(const QString& description) override;
    void showTextLeftOnClipboard(const QString& notice) override;
    void showTextNotKept(const QString& notice, const QString& text) override;

private:
    BannerNotifier& m_banner;
    std::function<void()> m_openHelp;
};

}  // namespace vocena
