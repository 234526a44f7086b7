#include "Infrastructure/InputMethod/InputBackendPlatform.h"

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/InputMethod/Fcitx5TextInjector.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/TextInjection/TextInjectionPlatform.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/Wayland/WaylandTyping.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <optional>

namespace vocena::InputBackendPlatform {

namespace {

const Logger logger("InputBackend");

struct Chosen {
    std::optional<InjectionBackendChoice> choice;
    QPointer<Fcitx5Bridge> bridge;
    QPointer<Fcitx5TextInjector> fcitx5Injector;
};

Chosen& chosen() {
    static Chosen state;
    return state;
}

}  // namespace

QCoro::Task<InjectionBackendChoice> probe(Preferences& preferences, bool x11) {
    // A bridge of its own, gone with this probe: probing sets nothing up.
    const auto bridge = std::make_unique<Fcitx5Bridge>(sessionBus());
    const Fcitx5Bridge::Availability fcitx5 = co_await bridge->checkAvailability();
    const bool wlroots = WaylandTyping::check().realOperationWorks;
    co_return InjectionBackendSelector::choose(
        {preferences.stringValue(InjectionBackendSelector::preferenceKey).value_or(QString()), x11, wlroots, fcitx5});
}

QCoro::Task<InjectionBackendChoice> choose(Preferences& preferences) {
    Chosen& state = chosen();
    if (state.choice) co_return *state.choice;
    // X11 types only where the display offers XTest; without it nothing would be typed.
    const InjectionBackendChoice choice = co_await probe(preferences, TextInjectionPlatform::keysAvailable());
    if (state.choice) co_return *state.choice;  // another caller chose while this one probed
    state.choice = choice;
    logger.info(QStringLiteral("文字输入方式: %1（%2）").arg(InjectionBackendSelector::displayName(choice.backend), choice.reason));
    if (choice.backend == InjectionBackend::fcitx5) {
        state.bridge = new Fcitx5Bridge(sessionBus(), qApp);
        // Where no input context has the focus, the compositor's own typing reaches every window.
        TextInjector* fallback = WaylandTyping::shared();
        if (!fallback) fallback = TextInjectionPlatform::shared();
        // With no other way of typing the words still reach the clipboard (or, where even that
        // cannot be written, the user is shown them).
        if (!fallback) fallback = TextInjectionPlatform::clipboardOnly();
        state.fcitx5Injector = new Fcitx5TextInjector(*state.bridge, fallback, state.bridge);
        // Gone with the service it falls back on, when the event loop ends.
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, qApp, [] { delete chosen().fcitx5Injector.data(); });
    }
    co_return choice;
}

TextInjector* injector() {
    const Chosen& state = chosen();
    if (!state.choice) return nullptr;
    switch (state.choice->backend) {
    case InjectionBackend::fcitx5: return state.fcitx5Injector.data();
    case InjectionBackend::x11: return TextInjectionPlatform::shared();
    case InjectionBackend::wayland: return WaylandTyping::shared();
    case InjectionBackend::none: return nullptr;
    }
    return nullptr;
}

Fcitx5Bridge* bridge() { return chosen().bridge.data(); }

QDBusConnection sessionBus() {
    const QByteArray configured = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    const bool runs = configured.isEmpty() ? !runtimeDir.isEmpty() && QFileInfo(QString::fromLocal8Bit(runtimeDir + "/bus")).exists()
                                           : !configured.startsWith("disabled:");
    return runs ? QDBusConnection::sessionBus() : QDBusConnection(QStringLiteral("vocena-no-session-bus"));
}

}  // namespace vocena::InputBackendPlatform
