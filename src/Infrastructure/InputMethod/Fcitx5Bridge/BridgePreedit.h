#pragma once

#include <fcitx-utils/handlertable.h>
#include <fcitx/inputcontext.h>
#include <fcitx/instance.h>

#include <memory>
#include <string>
#include <vector>

namespace vocena::fcitx5bridge {

// The bridge's own preedit: text shown underlined and uncommitted in one input context. It is
// marked never to be committed, so a client that commits its preedit when the field loses
// focus drops it instead, and it is cleared from a context that loses focus. Some clients
// (the Qt one) drop preedit updates for a window without focus: the field that had it is told
// again when it gets the focus back.
class BridgePreedit {
public:
    explicit BridgePreedit(fcitx::Instance& instance);

    void show(fcitx::InputContext& context, const std::string& text);
    void clear();

private:
    void clearIn(fcitx::InputContext& context);
    void retellCleared(fcitx::InputContext& context);

    fcitx::TrackableObjectReference<fcitx::InputContext> m_context;
    fcitx::TrackableObjectReference<fcitx::InputContext> m_clearedWithoutFocus;
    std::vector<std::unique_ptr<fcitx::HandlerTableEntry<fcitx::EventHandler>>> m_focusWatchers;
};

}  // namespace vocena::fcitx5bridge
