#pragma once

#include "Infrastructure/TextInjection/PasteMethod.h"

namespace vocena {

// Where synthetic key events go: the focused window of the desktop session. One final class
// per platform (X11KeyEventSink) and one test double. Every call is made on the main thread.
class KeyEventSink {
public:
    virtual ~KeyEventSink() = default;

    // Whether key events can be sent at all. Asks nothing of the user.
    virtual bool isAvailable() = 0;

    // `character` is one of the characters typed by keys: printable ASCII (U+0020...U+007E),
    // tab or line feed. Whether the active keyboard layout has a key for it.
    virtual bool canType(char32_t character) = 0;
    // Presses and releases the key for `character`, with the modifiers (Shift, AltGr) the active
    // layout needs for it. False, and nothing sent, when the layout has no key for it.
    virtual bool typeCharacter(char32_t character) = 0;

    virtual void pressBackspace() = 0;
    virtual void pressUndo() = 0;   // Control+Z
    // How the window with the keyboard focus pastes (by its window class: terminals differ).
    virtual PasteMethod focusedPasteMethod() = 0;
    virtual void pressPaste(PasteKey key) = 0;

    // Whether any modifier key (Shift, Control, Alt, Super, AltGr) is held down.
    virtual bool modifiersHeld() = 0;
    // Sends key releases for the modifier keys still held, so that they do not combine with
    // the keys sent next.
    virtual void releaseModifiers() = 0;
};

}  // namespace vocena
