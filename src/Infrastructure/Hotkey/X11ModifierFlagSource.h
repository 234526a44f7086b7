#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"

#include <memory>

namespace vocena {

// Modifier keys on X11 through XInput2 raw key events, selected on the root window for all
// master devices over a display connection of its own (DISPLAY). Raw events reach every
// client that asks, whichever window has the focus and even during another client's keyboard
// grab; nothing is grabbed here. They carry no modifier state, so the keys held are tracked
// from key codes: the keys whose first keysym in the current keymap is Alt_L/Alt_R (Option),
// Control_L/R, Super_L/R (Command) or Shift_L/R. The key map is reloaded when the keyboard
// mapping changes. Events are read on the main thread as they arrive (a socket notifier).
class X11ModifierFlagSource final : public ModifierFlagSource {
public:
    X11ModifierFlagSource();
    ~X11ModifierFlagSource() override;

    // False without a display or without XInput 2.2. When it returns true the server
    // delivers every later key change.
    bool start(Handler handler) override;
    void stop() override;

private:
    class Session;
    std::unique_ptr<Session> m_session;
};

}  // namespace vocena
