#include "BridgeKeyWatcher.h"

#include <fcitx-utils/keysym.h>
#include <fcitx/event.h>

#include <algorithm>
#include <array>
#include <utility>

namespace vocena::fcitx5bridge {

BridgeKeyWatcher::BridgeKeyWatcher(fcitx::Instance& instance, ModifierHandler onModifier, OtherKeyHandler onOtherKey,
                                   FocusHandler onFocusChange)
    : m_onModifier(std::move(onModifier)), m_onOtherKey(std::move(onOtherKey)), m_onFocusChange(std::move(onFocusChange)) {
    // The first phase open to addons: the engine (pinyin, rime, keyboard) has not seen the key yet,
    // so a key it consumes is still reported.
    m_watcher = instance.watchEvent(fcitx::EventType::InputContextKeyEvent, fcitx::EventWatcherPhase::PreInputMethod,
                                    [this](fcitx::Event& event) { handle(static_cast<fcitx::KeyEvent&>(event)); });
    // A key released while no input context had the focus is never seen to go up: the client
    // learns that the focus moved and takes the next press of such a key as a new one.
    m_focusInWatcher = instance.watchEvent(fcitx::EventType::InputContextFocusIn, fcitx::EventWatcherPhase::PostInputMethod,
                                           [this](fcitx::Event&) { m_onFocusChange(); });
    m_focusOutWatcher = instance.watchEvent(fcitx::EventType::InputContextFocusOut, fcitx::EventWatcherPhase::PostInputMethod,
                                            [this](fcitx::Event&) { m_onFocusChange(); });
}

bool BridgeKeyWatcher::isWatchedModifier(uint32_t keysym) {
    static constexpr std::array<uint32_t, 11> modifiers{
        FcitxKey_Alt_L,   FcitxKey_Alt_R,   FcitxKey_Meta_L,  FcitxKey_Meta_R,  FcitxKey_Control_L,      FcitxKey_Control_R,
        FcitxKey_Shift_L, FcitxKey_Shift_R, FcitxKey_Super_L, FcitxKey_Super_R, FcitxKey_ISO_Level3_Shift,
    };
    return std::find(modifiers.begin(), modifiers.end(), keysym) != modifiers.end();
}

void BridgeKeyWatcher::handle(const fcitx::KeyEvent& event) const {
    const uint32_t keysym = event.rawKey().sym();
    if (isWatchedModifier(keysym)) m_onModifier(keysym, !event.isRelease());
    else if (!event.isRelease()) m_onOtherKey();
}

}  // namespace vocena::fcitx5bridge
