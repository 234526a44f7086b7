#pragma once

#include "Infrastructure/TextInjection/KeyEventSink.h"
#include "Infrastructure/Wayland/WaylandKeymap.h"
#include "Infrastructure/Wayland/WlrActiveToplevel.h"

struct zwp_virtual_keyboard_v1;

namespace vocena {

class WaylandConnection;

// Key events through a virtual keyboard (zwp_virtual_keyboard_v1) on the compositor's seat,
// with the keymap of WaylandKeymap: what is typed does not depend on the user's layout. One
// keyboard for the object's life, created up front. (On a seat without any other keyboard,
// the first keyboard to appear makes the applications set up their keyboard input, and the
// first keys sent meanwhile are lost; a desktop's own keyboard is always there.)
//
// The paste key follows the active window's app id where the compositor tells it to taskbars
// (terminals paste on Control+Shift+V or Shift+Insert), else it is Control+V. The
// compositor sends the focused application the modifiers of the keyboard a key came from, so
// the keys of the user's own keyboard (still holding Alt after the gesture) never combine with
// these: nothing needs to be waited for or released.
class WaylandKeyEventSink final : public KeyEventSink {
public:
    // Creates the virtual keyboard when `connection` offers it; `connection` outlives the sink.
    explicit WaylandKeyEventSink(WaylandConnection& connection);
    ~WaylandKeyEventSink() override;

    bool isAvailable() override;
    bool canType(char32_t character) override;
    bool typeCharacter(char32_t character) override;
    void pressBackspace() override;
    void pressUndo() override;
    PasteMethod focusedPasteMethod() override;
    void pressPaste(PasteKey key) override;
    bool modifiersHeld() override { return false; }
    void releaseModifiers() override;

private:
    void send(const WaylandKeyStroke& stroke);
    void sendShortcut(uint32_t keysym, uint32_t modifiers);

    WaylandConnection& m_connection;
    WaylandKeymap m_keymap;
    WlrActiveToplevel m_activeWindow;
    zwp_virtual_keyboard_v1* m_keyboard = nullptr;
};

}  // namespace vocena
