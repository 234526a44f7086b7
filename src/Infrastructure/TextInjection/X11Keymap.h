#pragma once

// Xlib: include only from the X11 implementation files.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace vocena {

// A key and the modifier keys to hold while pressing it.
struct X11KeyStroke {
    KeyCode key = 0;
    std::vector<KeyCode> modifiers;
};

// Which keys of the active keyboard layout give a keysym: the key, its shift level in the
// active group, and the modifier keys (Shift, AltGr, ...) that select that level with the
// lock modifiers (Caps Lock) as they are. Follows layout changes (setxkbmap, a switched
// layout group) as they happen.
class X11Keymap {
public:
    explicit X11Keymap(Display* display);
    ~X11Keymap();
    X11Keymap(const X11Keymap&) = delete;
    X11Keymap& operator=(const X11Keymap&) = delete;

    // The stroke that types `keysym`, preferring the fewest modifiers; nullopt when the active
    // group has no key for it.
    std::optional<X11KeyStroke> strokeFor(KeySym keysym);
    // `keysym` as a shortcut with the modifiers of `modifierMask` (ControlMask, ShiftMask):
    // its key in the active group, or in any group (Control+Z on a Cyrillic layout).
    std::optional<X11KeyStroke> shortcutFor(KeySym keysym, unsigned modifierMask);
    // Every key bound to a modifier, locks included.
    const std::vector<KeyCode>& modifierKeys();

private:
    void refreshIfChanged();
    void load();
    std::optional<unsigned> modifiersForLevel(const XkbKeyTypeRec& type, int level, unsigned locked) const;
    std::vector<KeyCode> keysForMask(unsigned mask) const;

    struct XkbFree {
        void operator()(XkbDescPtr xkb) const { XkbFreeKeyboard(xkb, 0, True); }
    };

    Display* m_display;
    bool m_hasXkb = false;
    bool m_stale = true;
    std::unique_ptr<XkbDescRec, XkbFree> m_xkb;
    std::array<KeyCode, 8> m_pressableModifier{};  // per modifier bit; 0 when only a lock key has it
    std::vector<KeyCode> m_modifierKeys;
};

}  // namespace vocena
