#include "Infrastructure/Permissions/Fcitx5AccessibilityProbe.h"

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"

#include <memory>

namespace vocena {

QCoro::Task<AccessibilityCheck> Fcitx5AccessibilityProbe::check(QDBusConnection bus) {
    // A client of its own, gone with the check.
    const auto bridge = std::make_unique<Fcitx5Bridge>(std::move(bus));
    const Fcitx5Bridge::Availability found = co_await bridge->checkAvailability();
    co_return AccessibilityCheck{found.available, found.available, found.detail};
}

}  // namespace vocena
