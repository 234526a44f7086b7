#pragma once

#include "Infrastructure/Hotkey/ModifierFlagSource.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitorDelegate.h"

#include <QDateTime>
#include <memory>
#include <optional>

namespace vocena {

class Clock;
class Scheduler;
class WorkItem;

// Recognises two gestures on the modifier keys of the whole desktop:
// - a double tap of Option (Alt) alone: two presses within 0.5 s, confirmed 0.12 s after the
//   second press, or when that press is released if it is held longer, unless Option+Control
//   was seen by then. Option pressed with Command or Shift held is never a tap (it belongs to the
//   desktop's shortcuts), and any other key pressed from the first press to the
//   confirmation, or Shift, Command or a pointer button pressed while Option is held, ends
//   the sequence: two quick Alt+Tab, Alt+Shift or an Alt+click are not taps.
// - Option+Control (and nothing of Command) held for 0.3 s: fires once until the pair is
//   released. Reaching the 0.3 s is noticed by the next modifier change or, without one,
//   by a check when the 0.3 s have passed. Another key or a button pressed before that
//   (Control+Alt+T, Control+Alt+Delete) leaves the pair unused until it is released.
// It never grabs a key. Everything runs on the main thread.
class ModifierKeyMonitor {
public:
    static constexpr double doubleTapWindow = 0.5;
    static constexpr double doubleTapConfirmDelay = 0.12;
    static constexpr double comboHoldThreshold = 0.3;

    // The process-wide monitor on the system clock and the main-thread scheduler. It has no
    // flag source until the platform gives it one at start-up (HotkeyPlatform::install);
    // it lives until the process ends, so stop it before the event loop does.
    static ModifierKeyMonitor& shared();

    explicit ModifierKeyMonitor(Clock& clock, Scheduler& scheduler);
    ~ModifierKeyMonitor();
    ModifierKeyMonitor(const ModifierKeyMonitor&) = delete;
    ModifierKeyMonitor& operator=(const ModifierKeyMonitor&) = delete;

    // Receiver of the two gestures; not owned, and cleared by its owner before it goes.
    ModifierKeyMonitorDelegate* delegate = nullptr;

    // Where the modifier changes come from; replacing it stops monitoring.
    void setFlagSource(std::unique_ptr<ModifierFlagSource> source);

    // Starts the flag source unless it runs already; without a source, or when it cannot
    // start, nothing is monitored and a later call tries again.
    void startMonitoring();
    // Stops the source and forgets the keys and a first tap; a pending confirmation is dropped.
    void stopMonitoring();
    bool isMonitoring() const { return m_monitoring; }

private:
    void handleEvent(const ModifierEvent& event);
    void handleFlagsChanged(ModifierFlags flags);
    // A key other than a modifier, or a pointer button, went down.
    void handleOtherInput(ModifierEvent::Kind kind);
    // The combination rules; false when the event ends there.
    bool checkCombination(ModifierFlags flags);
    void armComboHoldCheck(double seconds);
    void checkComboHold();
    void handleOptionPress();
    void confirmDoubleTap();
    void reportDoubleTap();
    bool tapSequenceActive() const;
    // Forgets a first tap and a double tap waiting to be confirmed.
    void resetTapSequence();
    void cancelPendingDoubleTap();
    void cancelComboHoldCheck();
    double secondsSince(const QDateTime& time) const;

    Clock& m_clock;
    Scheduler& m_scheduler;
    std::unique_ptr<ModifierFlagSource> m_source;
    bool m_monitoring = false;

    bool m_optionPressed = false;
    bool m_controlPressed = false;
    bool m_commandPressed = false;
    bool m_shiftPressed = false;
    ModifierFlags m_lastFlags;

    std::optional<QDateTime> m_firstOptionPressTime;
    std::shared_ptr<WorkItem> m_pendingDoubleTapWork;
    bool m_doubleTapAwaitsRelease = false;  // confirmed in time, but Option is still down

    bool m_comboTriggered = false;
    bool m_comboSpoiled = false;  // another key or a button came with the pair: not the switch
    std::optional<QDateTime> m_comboPressStartTime;
    std::shared_ptr<WorkItem> m_comboHoldCheck;
};

}  // namespace vocena
