#pragma once

#include <QList>

namespace vocena {

class ModifierKeyMonitor;

enum class ModifierKeyType { option, control, command, shift };

// How the modifier-key monitor reports its two gestures; called on the main thread.
class ModifierKeyMonitorDelegate {
public:
    virtual ~ModifierKeyMonitorDelegate() = default;
    // Option+Control held for 0.3 s; `keys` is always {option, control}.
    virtual void modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor& monitor, const QList<ModifierKeyType>& keys) = 0;
    // A confirmed double tap of Option.
    virtual void modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor& monitor) = 0;
};

}  // namespace vocena
