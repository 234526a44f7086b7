#include "BridgeBusObject.h"

#include "BridgePreedit.h"

#include <fcitx-utils/key.h>
#include <fcitx/inputcontext.h>

namespace vocena::fcitx5bridge {

namespace {

[[noreturn]] void fail(const char* error, const char* message) {
    throw fcitx::dbus::MethodCallError((std::string(BridgeBusObject::interfaceName) + ".Error." + error).c_str(), message);
}

}  // namespace

BridgeBusObject::BridgeBusObject(fcitx::Instance& instance, BridgePreedit& preedit)
    : m_instance(instance), m_preedit(preedit) {}

fcitx::InputContext& BridgeBusObject::focusedContext() const {
    auto* context = m_instance.lastFocusedInputContext();
    if (!context || !context->hasFocus()) fail("NoFocus", "No input context has the focus");
    return *context;
}

std::string BridgeBusObject::commitText(const std::string& text) {
    if (text.empty()) fail("Empty", "There is no text to commit");
    auto& context = focusedContext();
    // The committed text replaces a preedit the bridge showed there.
    m_preedit.clear();
    context.commitString(text);
    return context.program();
}

void BridgeBusObject::forwardKey(uint32_t keysym, uint32_t states) {
    auto& context = focusedContext();
    const fcitx::Key key{fcitx::KeySym(keysym), fcitx::KeyStates(states)};
    context.forwardKey(key, false);
    context.forwardKey(key, true);
}

void BridgeBusObject::setPreedit(const std::string& text) {
    auto& context = focusedContext();
    if (text.empty()) m_preedit.clear();
    else m_preedit.show(context, text);
}

void BridgeBusObject::clearPreedit() { m_preedit.clear(); }

}  // namespace vocena::fcitx5bridge
