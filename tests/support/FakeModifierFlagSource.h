#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"

namespace vocena::test {

// Modifier changes the test makes up; counts how often it was started.
class FakeModifierFlagSource final : public ModifierFlagSource {
public:
    bool available = true;
    int starts = 0;

    bool start(Handler handler) override {
        if (!available) return false;
        ++starts;
        m_handler = std::move(handler);
        return true;
    }
    void stop() override { m_handler = nullptr; }
    bool isRunning() const { return bool(m_handler); }

    // The keys now held, as the platform would report them.
    void hold(ModifierFlags flags) {
        if (m_handler) m_handler(flags);
    }

private:
    Handler m_handler;
};

}  // namespace vocena::test
