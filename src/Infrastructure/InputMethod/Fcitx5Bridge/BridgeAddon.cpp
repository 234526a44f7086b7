#include "BridgeAddon.h"

#include <dbus_public.h>
#include <fcitx-utils/log.h>

namespace vocena::fcitx5bridge {

BridgeAddon::BridgeAddon(fcitx::Instance* instance)
    : m_instance(instance),
      m_preedit(*instance),
      m_busObject(*instance, m_preedit),
      m_keyWatcher(
          *instance, [this](uint32_t keysym, bool pressed) { m_busObject.modifierKey(keysym, pressed); },
          [this] { m_busObject.otherKey(); }, [this] { m_busObject.focusChanged(); }) {
    auto* bus = dbus() ? dbus()->call<fcitx::IDBusModule::bus>() : nullptr;
    if (!bus || !bus->addObjectVTable(BridgeBusObject::path, BridgeBusObject::interfaceName, m_busObject))
        FCITX_ERROR() << "vocenabridge: could not put " << BridgeBusObject::path << " on the session bus";
}

}  // namespace vocena::fcitx5bridge
