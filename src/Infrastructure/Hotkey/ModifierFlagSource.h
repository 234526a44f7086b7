#pragma once

#include <QFlags>
#include <QtGlobal>
#include <functional>

namespace vocena {

// The modifier keys the hotkey monitor follows, as bits of a snapshot (the masks of the
// desktop the gestures were designed on). Option is Alt, Command is Super.
enum class ModifierFlag : quint32 {
    shift = 0x20000,
    control = 0x40000,
    option = 0x80000,
    command = 0x100000,
};
Q_DECLARE_FLAGS(ModifierFlags, ModifierFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(ModifierFlags)

// One thing that happened on the desktop's keyboard or pointer, with the modifiers held right
// after it. Only what decides whether Alt was tapped alone is reported: nothing says which
// other key or button it was.
struct ModifierEvent {
    enum class Kind {
        // A followed modifier key went down or up; also when the snapshot stays the same (the
        // second of two Alt keys).
        modifiersChanged,
        // Any key that is not a modifier went down (Tab, a letter, a function key). Modifier
        // keys that are not followed (AltGr, Caps Lock, Num Lock) are not reported at all.
        otherKeyPressed,
        // A pointer button went down or the wheel turned, where the platform reports it.
        buttonPressed,
    };
    Kind kind = Kind::modifiersChanged;
    ModifierFlags modifiers;

    friend bool operator==(const ModifierEvent&, const ModifierEvent&) = default;
};

// Where modifier-key changes come from: the whole desktop, whichever window has the focus,
// without grabbing any key. One final class per platform (X11ModifierFlagSource) and one test
// double. Main thread only.
class ModifierFlagSource {
public:
    // Called on the main thread once per event, in the order they happened.
    using Handler = std::function<void(const ModifierEvent&)>;

    virtual ~ModifierFlagSource() = default;

    // Starts delivering to `handler`; false, and nothing delivered, when the desktop offers
    // no way to observe the keys. Every key counts as released at start.
    virtual bool start(Handler handler) = 0;
    // Stops delivering; the handler is not called afterwards. start() may follow again.
    virtual void stop() = 0;
};

}  // namespace vocena
