#pragma once

#include <fcitx-utils/handlertable.h>
#include <fcitx/instance.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace vocena::fcitx5bridge {

// Watches the key events of every focused input context before the input method engine sees
// them, and reports modifier presses and releases with their keysym and any other key press
// without its identity, and that the focus moved to or away from an input context. It only
// looks: the event goes on to the engine unchanged.
class BridgeKeyWatcher {
public:
    using ModifierHandler = std::function<void(uint32_t keysym, bool pressed)>;
    using OtherKeyHandler = std::function<void()>;
    using FocusHandler = std::function<void()>;

    BridgeKeyWatcher(fcitx::Instance& instance, ModifierHandler onModifier, OtherKeyHandler onOtherKey,
                     FocusHandler onFocusChange);

    // Alt, Meta, Control, Shift, Super and the third-level shift, left and right.
    static bool isWatchedModifier(uint32_t keysym);

private:
    void handle(const fcitx::KeyEvent& event) const;

    ModifierHandler m_onModifier;
    OtherKeyHandler m_onOtherKey;
    FocusHandler m_onFocusChange;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>> m_watcher;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>> m_focusInWatcher;
    std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>> m_focusOutWatcher;
};

}  // namespace vocena::fcitx5bridge
