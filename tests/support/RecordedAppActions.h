#pragma once

#include "Infrastructure/Platform/AppInstance.h"

#include <QStringList>

namespace vocena::test {

// App actions that note their names in the order they ran.
struct RecordedAppActions {
    QStringList calls;
    std::function<void()> onQuit;  // runs after "quit" is noted

    AppActions actions() {
        auto note = [this](const QString& name) { return [this, name] { calls << name; }; };
        return {note(QStringLiteral("activate")), note(AppBus::toggleRecording), note(AppBus::cycleWorkMode),
                note(AppBus::permissions), note(AppBus::settings), [this] {
                    calls << AppBus::quit;
                    if (onQuit) onQuit();
                }};
    }
};

}  // namespace vocena::test
