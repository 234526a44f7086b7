#pragma once

#include "BridgeBusObject.h"
#include "BridgeKeyWatcher.h"
#include "BridgePreedit.h"

#include <fcitx/addoninstance.h>
#include <fcitx/addonmanager.h>
#include <fcitx/instance.h>

namespace vocena::fcitx5bridge {

// The fcitx5 module that lets the dictation app type into the focused field through the
// input method: it puts the bridge's object on fcitx5's bus connection and feeds its key
// signals from the key watcher.
class BridgeAddon : public fcitx::AddonInstance {
public:
    explicit BridgeAddon(fcitx::Instance* instance);

private:
    FCITX_ADDON_DEPENDENCY_LOADER(dbus, m_instance->addonManager());

    fcitx::Instance* m_instance;
    BridgePreedit m_preedit;
    BridgeBusObject m_busObject;
    BridgeKeyWatcher m_keyWatcher;
};

}  // namespace vocena::fcitx5bridge
