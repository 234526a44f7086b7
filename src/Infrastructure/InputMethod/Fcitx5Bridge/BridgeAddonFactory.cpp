#include "BridgeAddon.h"

#include <fcitx/addonfactory.h>

namespace vocena::fcitx5bridge {

// Creates the bridge when fcitx5 loads libvocenabridge.so.
class BridgeAddonFactory : public fcitx::AddonFactory {
public:
    fcitx::AddonInstance* create(fcitx::AddonManager* manager) override { return new BridgeAddon(manager->instance()); }
};

}  // namespace vocena::fcitx5bridge

FCITX_ADDON_FACTORY(vocena::fcitx5bridge::BridgeAddonFactory);
