#include "Infrastructure/Wayland/WaylandTyping.h"

#include "Infrastructure/TextInjection/TextInjectionPlatform.h"
#include "Infrastructure/TextInjection/TextInjectionService.h"
#include "Infrastructure/TextInjection/WaylandKeyEventSink.h"
#include "Infrastructure/TextInjection/WlrDataControlClipboard.h"
#include "Infrastructure/Wayland/WaylandConnection.h"

#include <QCoro/QCoroTimer>
#include <QPointer>

namespace vocena::WaylandTyping {

using namespace std::chrono_literals;

namespace {

// Whether the process's connection was made: nothing is connected just to ask.
bool& connected() {
    static bool made = false;
    return made;
}

WlrSelections& selections() {
    connected() = true;
    return WlrSelections::shared();
}

}  // namespace

AccessibilityCheck check() {
    const WaylandConnection connection(1s);
    if (!connection.offersWlrootsTyping()) return {false, false, connection.missing()};
    return {true, true, QStringLiteral("Wayland 混成器 %1 提供虚拟键盘和剪贴板控制").arg(qEnvironmentVariable("WAYLAND_DISPLAY"))};
}

TextInjectionService* shared() {
    static QPointer<TextInjectionService> service;
    // The compositor forgets a client's selection when the client disconnects: what the process
    // still serves at the end goes to a keeper.
    if (!service && WaylandConnection::shared().offersWlrootsTyping())
        service = TextInjectionPlatform::makeProcessService(std::make_unique<WaylandKeyEventSink>(WaylandConnection::shared()),
                                                            std::make_unique<WlrDataControlClipboard>(selections()));
    return service;
}

ServedContent servedContent() { return connected() ? selections().served() : ServedContent{}; }

QCoro::Task<bool> keep(ServedContent content) {
    WlrSelections& wayland = selections();
    for (const auto& [selection, formats] : content)
        if (!wayland.serve(selection, formats)) co_return false;
    // Woken every 100 ms to look whether others have taken the selections (their events are
    // dispatched by the connection meanwhile).
    while (!wayland.served().isEmpty()) co_await QCoro::sleepFor(100ms);
    co_return true;
}

}  // namespace vocena::WaylandTyping
