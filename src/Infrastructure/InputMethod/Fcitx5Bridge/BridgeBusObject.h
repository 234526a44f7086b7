#pragma once

#include <fcitx-utils/dbus/objectvtable.h>
#include <fcitx/instance.h>

#include <cstdint>
#include <string>

namespace vocena::fcitx5bridge {

class BridgePreedit;

// The bridge's object on fcitx5's own session-bus connection (/com/vocena/Fcitx5Bridge,
// interface com.vocena.Fcitx5Bridge1): text, keys and preedit for the focused input context,
// and the key signals. A key's identity never goes on the bus except for modifiers: every
// client of the session can read the signals.
class BridgeBusObject : public fcitx::dbus::ObjectVTable<BridgeBusObject> {
public:
    static constexpr const char* path = "/com/vocena/Fcitx5Bridge";
    static constexpr const char* interfaceName = "com.vocena.Fcitx5Bridge1";

    BridgeBusObject(fcitx::Instance& instance, BridgePreedit& preedit);

    std::string commitText(const std::string& text);
    void forwardKey(uint32_t keysym, uint32_t states);
    void setPreedit(const std::string& text);
    void clearPreedit();
    uint32_t version() const { return 1; }

private:
    fcitx::InputContext& focusedContext() const;

    fcitx::Instance& m_instance;
    BridgePreedit& m_preedit;

    FCITX_OBJECT_VTABLE_METHOD(commitText, "CommitText", "s", "s");
    FCITX_OBJECT_VTABLE_METHOD(forwardKey, "ForwardKey", "uu", "");
    FCITX_OBJECT_VTABLE_METHOD(setPreedit, "SetPreedit", "s", "");
    FCITX_OBJECT_VTABLE_METHOD(clearPreedit, "ClearPreedit", "", "");
    FCITX_OBJECT_VTABLE_METHOD(version, "Version", "", "u");

public:
    FCITX_OBJECT_VTABLE_SIGNAL(modifierKey, "ModifierKey", "ub");
    FCITX_OBJECT_VTABLE_SIGNAL(otherKey, "OtherKey", "");
    FCITX_OBJECT_VTABLE_SIGNAL(focusChanged, "FocusChanged", "");
};

}  // namespace vocena::fcitx5bridge
