#pragma once

#include "Infrastructure/InputMethod/InjectionBackendSelector.h"

#include <QCoro/QCoroTask>
#include <QDBusConnection>

namespace vocena {

class Fcitx5Bridge;
class Preferences;
class TextInjector;

// The process's way of typing, chosen once at start-up (InjectionBackendSelector) before the
// first text is typed and before the key monitor starts. Main thread only.
namespace InputBackendPlatform {

// What the choice would be now: asks the session bus whether fcitx5 runs and, if so, whether
// the bridge answers, and the Wayland compositor (on a connection of its own) whether it offers
// the wlroots protocols; `x11` tells whether an X11 display can be typed on. Sets nothing up.
QCoro::Task<InjectionBackendChoice> probe(Preferences& preferences, bool x11);

// The process's choice: the first call probes (the X11 display the process runs on, if it offers
// XTest) and sets the backend up, and logs the choice; later calls return that choice.
QCoro::Task<InjectionBackendChoice> choose(Preferences& preferences);

// The text injector of the chosen backend: the fcitx5 bridge's (over the wlroots or X11 one),
// the wlroots one or the X11 one. Null before choose() and when nothing can type. Lives until
// the event loop ends.
TextInjector* injector();

// The bridge when fcitx5 was chosen, else null.
Fcitx5Bridge* bridge();

// The session bus where one runs, else a connection that is not connected: never autolaunched
// (a dbus-launch started by a command that merely types would outlive it), nor with
// DBUS_SESSION_BUS_ADDRESS "disabled:".
QDBusConnection sessionBus();

}  // namespace InputBackendPlatform
}  // namespace vocena
