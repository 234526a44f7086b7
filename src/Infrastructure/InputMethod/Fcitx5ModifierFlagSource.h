#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"
#include "Infrastructure/Platform/Clock.h"

#include <QMetaObject>
#include <QPointer>
#include <QHash>
#include <QSet>

namespace vocena {

class Fcitx5Bridge;

// Modifier keys as the fcitx5 bridge sees them: the keys typed into whichever window has an
// input context with the focus, native Wayland windows included. Alt_L/Alt_R are Option,
// Control_L/R Control, Super_L/R Command, Shift_L/R Shift; the other modifier keys (Meta,
// AltGr as ISO_Level3_Shift) are not followed and not reported; any other key press is. A
// press of a key already down (auto-repeat) and a release of a key not down change nothing.
// Keys are seen only while some input context has the focus: a modifier released after the focus
// went elsewhere is never seen to go up. So that it does not turn a later Alt into Alt+Control,
// a key held longer than `staleAfter` counts as released at the next key event, and a press of a
// key believed held that comes after a focus change counts as a new press (its release was
// missed), so that the next tap of Alt is not taken for auto-repeat. Main thread only.
class Fcitx5ModifierFlagSource final : public ModifierFlagSource {
public:
    static constexpr qint64 staleAfterMs = 10000;

    explicit Fcitx5ModifierFlagSource(Fcitx5Bridge& bridge, const Clock& clock = Clock::system());
    ~Fcitx5ModifierFlagSource() override;

    // False when the bridge object is gone.
    bool start(Handler handler) override;
    void stop() override;

private:
    void modifierKey(quint32 keysym, bool pressed);
    void forgetStaleKeys();
    void report(ModifierEvent::Kind kind);

    QPointer<Fcitx5Bridge> m_bridge;
    const Clock& m_clock;
    Handler m_handler;
    QHash<quint32, QDateTime> m_down;  // the followed modifier keys held, by keysym: since when
    QSet<quint32> m_heldAcrossFocus;   // held when the focus last moved, not seen since
    QMetaObject::Connection m_modifierConnection;
    QMetaObject::Connection m_otherConnection;
    QMetaObject::Connection m_focusConnection;
};

}  // namespace vocena
