#include "Infrastructure/Hotkey/FirstAvailableModifierFlagSource.h"

namespace vocena {

FirstAvailableModifierFlagSource::FirstAvailableModifierFlagSource(std::vector<std::unique_ptr<ModifierFlagSource>> sources)
    : m_sources(std::move(sources)) {}

bool FirstAvailableModifierFlagSource::start(Handler handler) {
    stop();
    for (const std::unique_ptr<ModifierFlagSource>& source : m_sources) {
        if (source->start(handler)) {
            m_running = source.get();
            return true;
        }
    }
    return false;
}

void FirstAvailableModifierFlagSource::stop() {
    if (m_running) m_running->stop();
    m_running = nullptr;
}

}  // namespace vocena
