#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"

#include <QMetaObject>
#include <QPointer>
#include <QSet>

namespace vocena {

class Fcitx5Bridge;

// Modifier keys as the fcitx5 bridge sees them: the keys typed into whichever window has an
// input context with the focus, native Wayland windows included. Alt_L/Alt_R are Option,
// Control_L/R Control, Super_L/R Command, Shift_L/R Shift; the other modifier keys (Meta,
// AltGr as ISO_Level3_Shift) are not followed and not reported; any other key press is. A
// press of a key already down (auto-repeat) and a release of a key not down change nothing.
// Keys pressed while no input context has the focus are not seen. Main thread only.
class Fcitx5ModifierFlagSource final : public ModifierFlagSource {
public:
    explicit Fcitx5ModifierFlagSource(Fcitx5Bridge& bridge);
    ~Fcitx5ModifierFlagSource() override;

    // False when the bridge object is gone.
    bool start(Handler handler) override;
    void stop() override;

private:
    void modifierKey(quint32 keysym, bool pressed);
    void report(ModifierEvent::Kind kind);

    QPointer<Fcitx5Bridge> m_bridge;
    Handler m_handler;
    QSet<quint32> m_down;  // keysyms of the followed modifier keys held
    QMetaObject::Connection m_modifierConnection;
    QMetaObject::Connection m_otherConnection;
};

}  // namespace vocena
