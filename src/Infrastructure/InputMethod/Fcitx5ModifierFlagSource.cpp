#include "Infrastructure/InputMethod/Fcitx5ModifierFlagSource.h"

#include "Infrastructure/InputMethod/Fcitx5Bridge.h"

namespace vocena {

namespace {

ModifierFlags flagForKeysym(quint32 keysym) {
    switch (keysym) {
    case 0xffe1:  // Shift_L
    case 0xffe2: return ModifierFlag::shift;
    case 0xffe3:  // Control_L
    case 0xffe4: return ModifierFlag::control;
    case 0xffe9:  // Alt_L
    case 0xffea: return ModifierFlag::option;
    case 0xffeb:  // Super_L
    case 0xffec: return ModifierFlag::command;
    default: return {};
    }
}

}  // namespace

Fcitx5ModifierFlagSource::Fcitx5ModifierFlagSource(Fcitx5Bridge& bridge, const Clock& clock)
    : m_bridge(&bridge), m_clock(clock) {}

Fcitx5ModifierFlagSource::~Fcitx5ModifierFlagSource() { stop(); }

bool Fcitx5ModifierFlagSource::start(Handler handler) {
    stop();
    if (!m_bridge) return false;
    m_handler = std::move(handler);
    m_down.clear();
    m_heldAcrossFocus.clear();
    m_modifierConnection =
        QObject::connect(m_bridge, &Fcitx5Bridge::modifierKey, [this](quint32 keysym, bool pressed) { modifierKey(keysym, pressed); });
    m_otherConnection = QObject::connect(m_bridge, &Fcitx5Bridge::otherKey, [this] {
        forgetStaleKeys();
        report(ModifierEvent::Kind::otherKeyPressed);
    });
    m_focusConnection = QObject::connect(m_bridge, &Fcitx5Bridge::focusChanged, [this] {
        for (auto it = m_down.cbegin(); it != m_down.cend(); ++it) m_heldAcrossFocus.insert(it.key());
    });
    return true;
}

void Fcitx5ModifierFlagSource::stop() {
    QObject::disconnect(m_modifierConnection);
    QObject::disconnect(m_otherConnection);
    QObject::disconnect(m_focusConnection);
    m_handler = nullptr;
}

void Fcitx5ModifierFlagSource::modifierKey(quint32 keysym, bool pressed) {
    if (!flagForKeysym(keysym)) return;
    forgetStaleKeys();
    if (pressed && m_down.contains(keysym) && m_heldAcrossFocus.remove(keysym)) {
        // Its release went where the bridge could not see it: this is a new press.
        m_down.remove(keysym);
        report(ModifierEvent::Kind::modifiersChanged);
    }
    if (!pressed) m_heldAcrossFocus.remove(keysym);
    if (m_down.contains(keysym) == pressed) {
        if (pressed) m_down[keysym] = m_clock.now();  // auto-repeat: still held
        return;
    }
    if (pressed) m_down.insert(keysym, m_clock.now());
    else m_down.remove(keysym);
    report(ModifierEvent::Kind::modifiersChanged);
}

void Fcitx5ModifierFlagSource::forgetStaleKeys() {
    const QDateTime now = m_clock.now();
    m_down.removeIf([&now](const auto& held) { return held.value().msecsTo(now) > staleAfterMs; });
}

void Fcitx5ModifierFlagSource::report(ModifierEvent::Kind kind) {
    if (!m_handler) return;
    ModifierEvent event{kind, {}};
    for (auto it = m_down.cbegin(); it != m_down.cend(); ++it) event.modifiers |= flagForKeysym(it.key());
    const Handler handler = m_handler;  // the handler may stop this source
    handler(event);
}

}  // namespace vocena
