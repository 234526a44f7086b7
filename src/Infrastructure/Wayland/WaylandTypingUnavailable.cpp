// The build without the Wayland client library: no typing on Wayland compositors.
#include "Infrastructure/Wayland/WaylandTyping.h"

namespace vocena::WaylandTyping {

AccessibilityCheck check() { return {false, false, QStringLiteral("此版本的澄言构建时没有 Wayland 支持")}; }

TextInjectionService* shared() { return nullptr; }

ServedContent servedContent() { return {}; }

QCoro::Task<bool> keep(ServedContent) { co_return false; }

}  // namespace vocena::WaylandTyping
