// The virtual keyboard's keymap, compiled by xkbcommon as the compositor and the applications
// compile it: every stroke the sink sends produces the character or key it was meant for.
#include "Infrastructure/Wayland/WaylandKeymap.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <xkbcommon/xkbcommon.h>

using namespace vocena;

namespace {

struct XkbDeleter {
    void operator()(xkb_context* p) const { xkb_context_unref(p); }
    void operator()(xkb_keymap* p) const { xkb_keymap_unref(p); }
    void operator()(xkb_state* p) const { xkb_state_unref(p); }
};

using Seen = std::tuple<xkb_keysym_t, bool, bool>;  // the keysym, Control, Shift

// What an application sees for `stroke` on `keymap`, with the stroke's modifiers in effect:
// the keysym, and whether Control and Shift are active.
Seen seen(xkb_keymap* keymap, const WaylandKeyStroke& stroke) {
    const std::unique_ptr<xkb_state, XkbDeleter> state(xkb_state_new(keymap));
    xkb_state_update_mask(state.get(), stroke.modifiers, 0, 0, 0, 0, 0);
    const auto active = [&](const char* name) { return xkb_state_mod_name_is_active(state.get(), name, XKB_STATE_MODS_EFFECTIVE) == 1; };
    return {xkb_state_key_get_one_sym(state.get(), stroke.key + 8), active(XKB_MOD_NAME_CTRL), active(XKB_MOD_NAME_SHIFT)};
}

}  // namespace

TEST(WaylandKeymapTest, EveryTypedCharacterAndShortcutProducesItsKeysym) {
    const WaylandKeymap keymap;
    ASSERT_TRUE(keymap.text().endsWith('\0'));
    const std::unique_ptr<xkb_context, XkbDeleter> context(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
    const std::unique_ptr<xkb_keymap, XkbDeleter> compiled(xkb_keymap_new_from_string(
        context.get(), keymap.text().constData(), XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS));
    ASSERT_TRUE(compiled) << keymap.text().constData();

    for (char32_t c = 0x20; c <= 0x7e; ++c) {
        SCOPED_TRACE(char(c));
        const std::optional<WaylandKeyStroke> stroke = keymap.strokeFor(c);
        ASSERT_TRUE(stroke);
        EXPECT_EQ(xkb_keysym_to_utf32(std::get<0>(seen(compiled.get(), *stroke))), uint32_t(c));
    }
    for (char32_t other : {U'\r', U'é', U'中', char32_t(0x7f)}) EXPECT_FALSE(keymap.strokeFor(other)) << uint32_t(other);

    // Shift+Insert, the paste key of some terminals. (Line end, tab, backspace, Control+V,
    // Control+Shift+V and Control+Z are typed and pressed in WlrootsEndToEndTest.)
    const auto insert = keymap.shortcutFor(WaylandKeymap::insertKeysym, WaylandKeymap::shiftMask);
    ASSERT_TRUE(insert);
    EXPECT_EQ(seen(compiled.get(), *insert), Seen(XKB_KEY_Insert, false, true));
}
