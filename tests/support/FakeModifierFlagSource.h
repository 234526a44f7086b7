#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"

namespace vocena::test {

// Modifier changes, key presses and clicks the test makes up; counts how often it was started.
class FakeModifierFlagSource final : public ModifierFlagSource {
public:
    bool available = true;
    int starts = 0;

    bool start(Handler handler) override {
        if (!available) return false;
        ++starts;
        m_handler = std::move(handler);
        m_held = {};
        return true;
    }
    void stop() override { m_handler = nullptr; }
    bool isRunning() const { return bool(m_handler); }

    // The keys now held, as the platform would report them.
    void hold(ModifierFlags flags) {
        m_held = flags;
        send(ModifierEvent::Kind::modifiersChanged);
    }
    // A key that is not a modifier goes down, with the modifiers held so far.
    void pressOtherKey() { send(ModifierEvent::Kind::otherKeyPressed); }
    // A pointer button goes down.
    void pressButton() { send(ModifierEvent::Kind::buttonPressed); }

private:
    void send(ModifierEvent::Kind kind) {
        if (m_handler) m_handler({kind, m_held});
    }

    Handler m_handler;
    ModifierFlags m_held;
};

}  // namespace vocena::test
