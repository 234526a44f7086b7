#include "BridgePreedit.h"

#include <fcitx-utils/textformatflags.h>
#include <fcitx/event.h>
#include <fcitx/inputpanel.h>
#include <fcitx/text.h>

namespace vocena::fcitx5bridge {

BridgePreedit::BridgePreedit(fcitx::Instance& instance) {
    m_focusOutWatcher = instance.watchEvent(fcitx::EventType::InputContextFocusOut, fcitx::EventWatcherPhase::PreInputMethod,
                                            [this](fcitx::Event& event) {
                                                auto& focusOut = static_cast<fcitx::FocusOutEvent&>(event);
                                                if (focusOut.inputContext() == m_context.get()) clear();
                                            });
}

void BridgePreedit::show(fcitx::InputContext& context, const std::string& text) {
    if (m_context.get() && m_context.get() != &context) clearIn(*m_context.get());
    fcitx::Text preedit;
    preedit.append(text, fcitx::TextFormatFlags{fcitx::TextFormatFlag::Underline, fcitx::TextFormatFlag::DontCommit});
    preedit.setCursor(int(text.size()));
    context.inputPanel().setClientPreedit(preedit);
    context.updatePreedit();
    m_context = context.watch();
}

void BridgePreedit::clear() {
    if (auto* context = m_context.get()) clearIn(*context);
    m_context.unwatch();
}

void BridgePreedit::clearIn(fcitx::InputContext& context) {
    context.inputPanel().setClientPreedit(fcitx::Text());
    context.updatePreedit();
}

}  // namespace vocena::fcitx5bridge
