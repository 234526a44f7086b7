#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"

#include <memory>

namespace vocena {

// Modifier keys on X11 through XInput2 raw key and button events, selected on the root window
// for all master devices over a display connection of its own (DISPLAY). Raw events reach
// every client that asks, whichever window has the focus and even during another client's
// keyboard grab; nothing is grabbed here. They carry no modifier state, so the keys held are
// tracked from key codes, by the key's first keysym in the layout now in use (XKB group):
// Alt_L/Alt_R (Option), Control_L/R, Super_L/R (Command), Shift_L/R. A right Alt that the
// layout makes AltGr (ISO_Level3_Shift) is not Option, and like the other modifier keys not
// followed (Caps Lock, Num Lock) it is not reported at all; every other key press is. The
// roles are read again after the keyboard mapping changed. Events are read on the main thread
// as they arrive (a socket notifier).
class X11ModifierFlagSource final : public ModifierFlagSource {
public:
    X11ModifierFlagSource();
    ~X11ModifierFlagSource() override;

    // False without a display, without XInput 2.2 or without XKB. When it returns true the server
    // delivers every later key change.
    bool start(Handler handler) override;
    void stop() override;

private:
    class Session;
    std::unique_ptr<Session> m_session;
};

}  // namespace vocena
