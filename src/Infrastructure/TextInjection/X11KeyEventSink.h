#pragma once

#include "Infrastructure/TextInjection/KeyEventSink.h"

#include <memory>

namespace vocena {

// Key events through the XTest extension, on a display connection of its own (DISPLAY).
// A character becomes its keysym, and the keysym the key and shift level (Shift, AltGr) of
// the active layout, so a German or French layout types the same characters as a US one. A
// character that the active layout has no key for (a dead key such as ^ on a German layout)
// is not typed: the service counts it as unmapped and pastes texts that contain one. Spare
// key codes are not remapped for it: every client would reload its keymap, and one that
// reloads after the key arrived types the wrong character.
class X11KeyEventSink final : public KeyEventSink {
public:
    X11KeyEventSink();
    ~X11KeyEventSink() override;

    bool isAvailable() override;
    bool canType(char32_t character) override;
    bool typeCharacter(char32_t character) override;
    void pressBackspace() override;
    void pressUndo() override;
    PasteMethod focusedPasteMethod() override;
    void pressPaste(PasteKey key) override;
    bool modifiersHeld() override;
    void releaseModifiers() override;

private:
    struct State;
    std::unique_ptr<State> d;
};

}  // namespace vocena
