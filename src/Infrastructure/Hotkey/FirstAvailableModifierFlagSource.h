#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"

#include <memory>
#include <vector>

namespace vocena {

// Several ways of watching the same keyboard, in order of preference: start() starts the first
// that can start and only that one, so that one physical tap never reaches the monitor twice
// (the XInput2 source and the input method's both see every key typed into an X11 window).
// On X11 the XInput2 source comes first: it sees the keys whatever has the focus; the input
// method's source takes over where XInput2 cannot start. Main thread only.
class FirstAvailableModifierFlagSource final : public ModifierFlagSource {
public:
    explicit FirstAvailableModifierFlagSource(std::vector<std::unique_ptr<ModifierFlagSource>> sources);

    bool start(Handler handler) override;
    void stop() override;

private:
    std::vector<std::unique_ptr<ModifierFlagSource>> m_sources;
    ModifierFlagSource* m_running = nullptr;
};

}  // namespace vocena
