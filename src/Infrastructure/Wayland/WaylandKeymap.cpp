#include "Infrastructure/Wayland/WaylandKeymap.h"

#include <xkbcommon/xkbcommon.h>

namespace vocena {

namespace {

// Evdev codes start at 1; XKB key codes are 8 more.
constexpr uint32_t xkbOffset = 8;

QByteArray keysymName(uint32_t keysym) {
    char name[64] = {};
    xkb_keysym_get_name(keysym, name, sizeof name);
    return QByteArray(name);
}

}  // namespace

WaylandKeymap::WaylandKeymap() {
    for (char32_t c = U'a'; c <= U'z'; ++c) m_keys.push_back({uint32_t(c), uint32_t(c - U'a' + U'A')});
    for (char32_t c = 0x20; c <= 0x7e; ++c)
        if (!(c >= U'a' && c <= U'z') && !(c >= U'A' && c <= U'Z')) m_keys.push_back({uint32_t(c), 0});
    for (uint32_t keysym : {returnKeysym, tabKeysym, backSpaceKeysym, insertKeysym}) m_keys.push_back({keysym, 0});

    QByteArray keycodes, symbols;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        const QByteArray code = QByteArray::number(quint64(i + 1 + xkbOffset));
        keycodes += "    <K" + code + "> = " + code + ";\n";
        symbols += "    key <K" + code + "> { [ " + keysymName(m_keys[i].lower);
        if (m_keys[i].upper) symbols += ", " + keysymName(m_keys[i].upper);
        symbols += " ] };\n";
    }
    m_text = "xkb_keymap {\n"
             "  xkb_keycodes \"vocena\" {\n    minimum = 8;\n    maximum = 255;\n" + keycodes + "  };\n"
             "  xkb_types \"vocena\" { include \"complete\" };\n"
             "  xkb_compatibility \"vocena\" { include \"complete\" };\n"
             "  xkb_symbols \"vocena\" {\n" + symbols + "  };\n"
             "};\n";
    m_text.append('\0');
}

std::optional<WaylandKeyStroke> WaylandKeymap::strokeFor(char32_t character) const {
    if (character == U'\n') return shortcutFor(returnKeysym, 0);
    if (character == U'\t') return shortcutFor(tabKeysym, 0);
    if (character < 0x20 || character > 0x7e) return std::nullopt;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (m_keys[i].lower == character) return WaylandKeyStroke{uint32_t(i + 1), 0};
        if (m_keys[i].upper == character) return WaylandKeyStroke{uint32_t(i + 1), shiftMask};
    }
    return std::nullopt;
}

std::optional<WaylandKeyStroke> WaylandKeymap::shortcutFor(uint32_t keysym, uint32_t modifiers) const {
    for (size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i].lower == keysym) return WaylandKeyStroke{uint32_t(i + 1), modifiers};
    return std::nullopt;
}

}  // namespace vocena
