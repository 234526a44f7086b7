#pragma once

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"

#include <QString>

namespace vocena {

// How dictated text and the voice commands' keys reach the focused window.
enum class InjectionBackend {
    fcitx5,  // CommitText and ForwardKey of the fcitx5 bridge, the X11 path when no field has the focus
    x11,     // XTest keys and the X11 clipboard
    wayland, // the virtual keyboard and the data-control clipboard of a wlroots compositor
    none,    // nothing can type here
};

struct InjectionBackendChoice {
    InjectionBackend backend = InjectionBackend::none;
    QString reason;  // why, in the user's words (`vocena doctor` prints it)
};

// What the choice depends on, found once at start-up.
struct InjectionEnvironment {
    QString preference;                  // the value of the backend preference; empty when unset
    bool x11 = false;                    // an X11 display with XTest to type on
    bool wlroots = false;                // a Wayland compositor with the virtual keyboard and data-control
    Fcitx5Bridge::Availability fcitx5;  // fcitx5 runs and the bridge answers
};

// Chooses the backend from the preference "com.vocena.injection.backend": auto (the default:
// the fcitx5 bridge when it answers, else the wlroots protocols, else X11), fcitx5, x11 or
// wayland. A compositor offering the wlroots protocols is the session's own (XWayland reaches
// X11 windows only), so it comes before X11. A choice that cannot be had, and a value it does
// not know, fall back to the automatic choice, and the reason says so.
class InjectionBackendSelector {
public:
    static inline const QString preferenceKey = QStringLiteral("com.vocena.injection.backend");

    static InjectionBackendChoice choose(const InjectionEnvironment& environment);
    // The backend's name as `vocena doctor` shows it.
    static QString displayName(InjectionBackend backend);

private:
    static InjectionBackendChoice automatic(const InjectionEnvironment& environment, const QString& prefix);
};

}  // namespace vocena
