#include "BridgePreedit.h"

#include <fcitx-utils/textformatflags.h>
#include <fcitx/event.h>
#include <fcitx/inputpanel.h>
#include <fcitx/text.h>

namespace vocena::fcitx5bridge {

BridgePreedit::BridgePreedit(fcitx::Instance& instance) {
    m_focusWatchers.push_back(instance.watchEvent(
        fcitx::EventType::InputContextFocusOut, fcitx::EventWatcherPhase::PreInputMethod, [this](fcitx::Event& event) {
            auto* context = static_cast<fcitx::InputContextEvent&>(event).inputContext();
            if (context != m_context.get()) return;
            clear();
            m_clearedWithoutFocus = context->watch();
        }));
    m_focusWatchers.push_back(instance.watchEvent(
        fcitx::EventType::InputContextFocusIn, fcitx::EventWatcherPhase::PostInputMethod, [this](fcitx::Event& event) {
            auto* context = static_cast<fcitx::InputContextEvent&>(event).inputContext();
            if (context == m_clearedWithoutFocus.get()) retellCleared(*context);
        }));
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

void BridgePreedit::retellCleared(fcitx::InputContext& context) {
    m_clearedWithoutFocus.unwatch();
    if (m_context.get() == &context || !context.inputPanel().clientPreedit().empty()) return;
    // fcitx5 sends no update from an empty preedit to an empty one: a blank that is never
    // committed goes first.
    fcitx::Text blank;
    blank.append(" ", fcitx::TextFormatFlag::DontCommit);
    context.inputPanel().setClientPreedit(blank);
    context.updatePreedit();
    clearIn(context);
}

void BridgePreedit::clearIn(fcitx::InputContext& context) {
    context.inputPanel().setClientPreedit(fcitx::Text());
    context.updatePreedit();
}

}  // namespace vocena::fcitx5bridge
