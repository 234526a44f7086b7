#include "Infrastructure/TextInjection/X11Keymap.h"
#include "Infrastructure/X11/XkbKeyGroup.h"

#include <X11/keysym.h>

#include <bit>
#include <climits>

namespace vocena {

namespace {

struct ModifierMapFree {
    void operator()(XModifierKeymap* map) const { XFreeModifiermap(map); }
};

bool isLockKeysym(KeySym keysym) {
    switch (keysym) {
    case XK_Caps_Lock:
    case XK_Shift_Lock:
    case XK_Num_Lock:
    case XK_Scroll_Lock:
    case XK_ISO_Lock:
    case XK_ISO_Level3_Lock:
    case XK_ISO_Level5_Lock: return true;
    default: return false;
    }
}

}  // namespace

X11Keymap::X11Keymap(Display* display) : m_display(display) {
    int opcode = 0, eventBase = 0, errorBase = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    m_hasXkb = XkbQueryExtension(m_display, &opcode, &eventBase, &errorBase, &major, &minor);
    if (!m_hasXkb) return;
    // Layout changes arrive as events on this connection; any of them makes the map stale.
    const unsigned changes = XkbNewKeyboardNotifyMask | XkbMapNotifyMask;
    XkbSelectEvents(m_display, XkbUseCoreKbd, changes, changes);
}

X11Keymap::~X11Keymap() = default;

void X11Keymap::refreshIfChanged() {
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        m_stale = true;  // an XKB change, or the core MappingNotify that every client gets
    }
    if (m_stale) load();
}

void X11Keymap::load() {
    m_stale = false;
    m_xkb.reset(m_hasXkb ? XkbGetMap(m_display, XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd) : nullptr);

    m_pressableModifier.fill(0);
    m_modifierKeys.clear();
    std::unique_ptr<XModifierKeymap, ModifierMapFree> map(XGetModifierMapping(m_display));
    if (!map) return;
    for (int modifier = 0; modifier < 8; ++modifier) {
        for (int i = 0; i < map->max_keypermod; ++i) {
            const KeyCode key = map->modifiermap[modifier * map->max_keypermod + i];
            if (key == 0) continue;
            m_modifierKeys.push_back(key);
            // Pressing Caps Lock or Num Lock would toggle a lock, not hold a modifier.
            if (!m_pressableModifier[modifier] && modifier != LockMapIndex &&
                !isLockKeysym(XkbKeycodeToKeysym(m_display, key, 0, 0)))
                m_pressableModifier[modifier] = key;
        }
    }
}

const std::vector<KeyCode>& X11Keymap::modifierKeys() {
    refreshIfChanged();
    return m_modifierKeys;
}

std::vector<KeyCode> X11Keymap::keysForMask(unsigned mask) const {
    std::vector<KeyCode> keys;
    for (int modifier = 0; modifier < 8; ++modifier)
        if ((mask & (1u << modifier)) && m_pressableModifier[modifier]) keys.push_back(m_pressableModifier[modifier]);
    return keys;
}

// The pressed modifiers that make a key of `type` produce `level`, given the locked ones; only
// modifiers that have a key to press qualify.
std::optional<unsigned> X11Keymap::modifiersForLevel(const XkbKeyTypeRec& type, int level, unsigned locked) const {
    const auto levelOf = [&type](unsigned mods) {
        mods &= type.mods.mask;
        for (int i = 0; i < type.map_count; ++i)
            if (type.map[i].active && type.map[i].mods.mask == mods) return int(type.map[i].level);
        return 0;
    };
    const auto pressable = [this](unsigned mods) {
        for (int modifier = 0; modifier < 8; ++modifier)
            if ((mods & (1u << modifier)) && !m_pressableModifier[modifier]) return false;
        return true;
    };
    std::vector<unsigned> candidates{0};
    for (int i = 0; i < type.map_count; ++i) {
        if (!type.map[i].active) continue;
        candidates.push_back(type.map[i].mods.mask);
        candidates.push_back(type.map[i].mods.mask & ~locked);
    }
    std::optional<unsigned> best;
    for (unsigned mods : candidates) {
        if (levelOf(mods | locked) != level || !pressable(mods)) continue;
        if (!best || std::popcount(mods) < std::popcount(*best)) best = mods;
    }
    return best;
}

std::optional<X11KeyStroke> X11Keymap::strokeFor(KeySym keysym) {
    refreshIfChanged();
    XkbStateRec state;
    if (!m_xkb || XkbGetState(m_display, XkbUseCoreKbd, &state) != Success) return std::nullopt;
    const unsigned locked = state.locked_mods | state.latched_mods;
    std::optional<X11KeyStroke> best;
    int bestCount = INT_MAX;
    XkbDescPtr xkb = m_xkb.get();
    for (int code = xkb->min_key_code; code <= xkb->max_key_code; ++code) {
        const auto key = KeyCode(code);
        const int group = xkbKeyGroup(xkb, key, state.group);
        if (group < 0) continue;
        const XkbKeyTypePtr type = XkbKeyKeyType(xkb, key, group);
        for (int level = 0; level < type->num_levels; ++level) {
            if (XkbKeySymEntry(xkb, key, level, group) != keysym) continue;
            const std::optional<unsigned> mods = modifiersForLevel(*type, level, locked);
            if (mods && std::popcount(*mods) < bestCount) {
                bestCount = std::popcount(*mods);
                best = X11KeyStroke{key, keysForMask(*mods)};
            }
        }
    }
    return best;
}

std::optional<X11KeyStroke> X11Keymap::shortcutFor(KeySym keysym, unsigned modifierMask) {
    std::optional<X11KeyStroke> stroke = strokeFor(keysym);
    const KeyCode key = stroke ? stroke->key : XKeysymToKeycode(m_display, keysym);
    if (key == 0) return std::nullopt;
    return X11KeyStroke{key, keysForMask(modifierMask)};
}

}  // namespace vocena
