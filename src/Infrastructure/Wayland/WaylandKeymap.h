#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace vocena {

// One key press of the virtual keyboard: the key (an evdev code, the XKB key code minus 8) and
// the modifiers held for it (an XKB modifier mask).
struct WaylandKeyStroke {
    uint32_t key = 0;
    uint32_t modifiers = 0;

    bool operator==(const WaylandKeyStroke&) const = default;
};

// The keymap the virtual keyboard uploads: its own, so that what it types does not depend on the
// user's layout. One key per printable ASCII character (letters with their capital on the
// Shift level, so Control+Shift+V is a shifted v as on a real keyboard), plus Return, Tab,
// BackSpace and Insert.
class WaylandKeymap {
public:
    // XKB's real modifiers keep these masks in every keymap.
    static constexpr uint32_t shiftMask = 1u << 0;
    static constexpr uint32_t controlMask = 1u << 2;

    // Keysyms of the keys that are not characters.
    static constexpr uint32_t returnKeysym = 0xff0d;
    static constexpr uint32_t tabKeysym = 0xff09;
    static constexpr uint32_t backSpaceKeysym = 0xff08;
    static constexpr uint32_t insertKeysym = 0xff63;

    WaylandKeymap();

    // The keymap in XKB's text format (wl_keyboard's xkb_v1), NUL-terminated as the compositor
    // maps it.
    const QByteArray& text() const { return m_text; }
    // The stroke that types `character` (printable ASCII, tab, line feed); none for others.
    std::optional<WaylandKeyStroke> strokeFor(char32_t character) const;
    // The stroke of the key with `keysym` (lower case for letters) under `modifiers`; none when
    // the keymap has no such key.
    std::optional<WaylandKeyStroke> shortcutFor(uint32_t keysym, uint32_t modifiers) const;

private:
    struct Key {
        uint32_t lower;  // keysym of the first level
        uint32_t upper;  // of the Shift level; 0 for keys with one level
    };
    std::vector<Key> m_keys;  // the key with evdev code i + 1
    QByteArray m_text;
};

}  // namespace vocena
