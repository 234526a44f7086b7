#include "Infrastructure/Hotkey/ModifierKeyMonitor.h"

#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"

namespace vocena {

namespace {

const Logger logger("ModifierKeyMonitor");

const ModifierFlags kComboKeys = ModifierFlag::option | ModifierFlag::control;
const ModifierFlags kComboMask = ModifierFlag::option | ModifierFlag::control | ModifierFlag::command;

}  // namespace

ModifierKeyMonitor& ModifierKeyMonitor::shared() {
    // Never destroyed: its source's socket notifier must not outlive the event loop in a
    // static destructor.
    static auto* monitor = new ModifierKeyMonitor(Clock::system(), Scheduler::main());
    return *monitor;
}

ModifierKeyMonitor::ModifierKeyMonitor(Clock& clock, Scheduler& scheduler) : m_clock(clock), m_scheduler(scheduler) {}

ModifierKeyMonitor::~ModifierKeyMonitor() {
    cancelPendingDoubleTap();
    cancelComboHoldCheck();
    if (m_monitoring) m_source->stop();
}

void ModifierKeyMonitor::setFlagSource(std::unique_ptr<ModifierFlagSource> source) {
    if (m_monitoring) stopMonitoring();
    m_source = std::move(source);
}

void ModifierKeyMonitor::startMonitoring() {
    if (m_monitoring) return;
    logger.info(QStringLiteral("正在启动全局监听..."));
    if (!m_source) logger.error(QStringLiteral("没有可用的修饰键来源，双击 Option 不可用"));
    m_monitoring = m_source && m_source->start([this](const ModifierEvent& event) { handleEvent(event); });
    // One source sees the keys whichever window has the focus, ours included: it stands for
    // both the global and the local monitor.
    const QString token = m_monitoring ? QStringLiteral("已创建") : QStringLiteral("nil");
    logger.debug(QStringLiteral("globalMonitor = ") + token);
    logger.debug(QStringLiteral("localMonitor = ") + token);
    logger.info(QStringLiteral("修饰键监听已启动"));
}

void ModifierKeyMonitor::stopMonitoring() {
    if (m_monitoring) m_source->stop();
    m_monitoring = false;
    m_optionPressed = m_controlPressed = m_commandPressed = m_shiftPressed = false;
    resetTapSequence();
    cancelComboHoldCheck();  // nothing is reported while stopped; the combination state stays
    logger.info(QStringLiteral("修饰键监听已停止"));
}

void ModifierKeyMonitor::handleEvent(const ModifierEvent& event) {
    if (event.kind == ModifierEvent::Kind::modifiersChanged) handleFlagsChanged(event.modifiers);
    else handleOtherInput(event.kind);
}

// Keys are typed all the time: nothing is logged unless a gesture in progress ends here.
void ModifierKeyMonitor::handleOtherInput(ModifierEvent::Kind kind) {
    const bool isKey = kind == ModifierEvent::Kind::otherKeyPressed;
    // A click between two taps may be the hand going back to the mouse; only a click with
    // Option held (Alt+click, Alt+drag, Alt+wheel) makes Option part of something else.
    if (tapSequenceActive() && (isKey || m_optionPressed)) {
        resetTapSequence();
        logger.debug(isKey ? QStringLiteral("双击 Option 已取消（按下了其他键）") : QStringLiteral("双击 Option 已取消（按下了鼠标键）"));
    }
    if (m_comboPressStartTime) {
        m_comboPressStartTime.reset();
        cancelComboHoldCheck();
        m_comboSpoiled = true;
        logger.debug(QStringLiteral("组合键已取消（按下了其他键或鼠标键）"));
    }
}

void ModifierKeyMonitor::handleFlagsChanged(ModifierFlags flags) {
    m_lastFlags = flags;
    const bool option = flags.testFlag(ModifierFlag::option);
    const bool control = flags.testFlag(ModifierFlag::control);
    const bool command = flags.testFlag(ModifierFlag::command);
    const bool shift = flags.testFlag(ModifierFlag::shift);
    logger.info(QStringLiteral("handleFlagsChanged: option=%1, control=%2, command=%3")
                    .arg(Logging::boolText(option), Logging::boolText(control), Logging::boolText(command)));
    logger.debug(QStringLiteral("option=%1, control=%2").arg(Logging::boolText(option), Logging::boolText(control)));

    if (!checkCombination(flags)) {
        // The keys are followed through the combination too: Alt still held when Control goes
        // up first is no new press of Alt, nor the first tap of a double tap.
        m_optionPressed = option;
        m_commandPressed = command;
        m_controlPressed = control;
        m_shiftPressed = shift;
        return;
    }

    if (option != m_optionPressed) {
        m_optionPressed = option;
        if (option && command) {
            logger.info(QStringLiteral("⊘ Option+Command 同时按下，跳过录音触发，让系统快捷键处理"));
            resetTapSequence();
            return;
        }
        if (option && shift) {
            // Shift+Alt switches the layout on many desktops just as Alt+Shift does.
            resetTapSequence();
            logger.debug(QStringLiteral("双击 Option 已取消（按下了其他修饰键）"));
        } else if (option) {
            handleOptionPress();
        } else if (m_doubleTapAwaitsRelease) {
            m_doubleTapAwaitsRelease = false;
            reportDoubleTap();
        }
    } else if (option && ((shift && !m_shiftPressed) || (command && !m_commandPressed)) && tapSequenceActive()) {
        // Alt+Shift (a layout switch on many desktops), Alt+Super: a chord, not Alt alone.
        resetTapSequence();
        logger.debug(QStringLiteral("双击 Option 已取消（按下了其他修饰键）"));
    }
    m_commandPressed = command;
    m_controlPressed = control;
    m_shiftPressed = shift;
}

bool ModifierKeyMonitor::checkCombination(ModifierFlags flags) {
    if ((flags & kComboMask) != kComboKeys) {
        m_comboPressStartTime.reset();
        cancelComboHoldCheck();
        m_comboSpoiled = false;
        if (m_comboTriggered) {
            m_comboTriggered = false;
            logger.info(QStringLiteral("组合键释放"));
        }
        return true;
    }
    if (m_comboTriggered || m_comboSpoiled) return true;

    resetTapSequence();
    if (!m_comboPressStartTime) {
        m_comboPressStartTime = m_clock.now();
        armComboHoldCheck(comboHoldThreshold);
        return false;
    }
    if (secondsSince(*m_comboPressStartTime) < comboHoldThreshold) return false;

    m_comboTriggered = true;
    m_comboPressStartTime.reset();
    cancelComboHoldCheck();
    logger.info(QStringLiteral("组合键触发: Option+Control"));
    if (delegate) delegate->modifierKeyMonitorDidTriggerCombo(*this, {ModifierKeyType::option, ModifierKeyType::control});
    return false;
}

// Holding the two keys produces no further event; this check notices the threshold.
void ModifierKeyMonitor::armComboHoldCheck(double seconds) {
    cancelComboHoldCheck();
    m_comboHoldCheck = m_scheduler.schedule(seconds, [this] { checkComboHold(); });
}

void ModifierKeyMonitor::checkComboHold() {
    m_comboHoldCheck.reset();
    if (!m_comboPressStartTime) return;
    const double remaining = comboHoldThreshold - secondsSince(*m_comboPressStartTime);
    if (remaining > 0) {
        armComboHoldCheck(remaining);  // a timer a little ahead of the clock
        return;
    }
    checkCombination(m_lastFlags);
}

void ModifierKeyMonitor::handleOptionPress() {
    if (m_firstOptionPressTime && secondsSince(*m_firstOptionPressTime) < doubleTapWindow) {
        m_firstOptionPressTime.reset();
        cancelPendingDoubleTap();
        m_pendingDoubleTapWork = m_scheduler.schedule(doubleTapConfirmDelay, [this] { confirmDoubleTap(); });
        logger.debug(QStringLiteral("双击 Option 延迟确认中（等待 %1ms 排除组合键）").arg(qRound(doubleTapConfirmDelay * 1000)));
    } else {
        m_firstOptionPressTime = m_clock.now();
        logger.debug(QStringLiteral("Option 第一次按下，等待 500ms 内第二次按下"));
    }
}

void ModifierKeyMonitor::confirmDoubleTap() {
    m_pendingDoubleTapWork.reset();
    if (m_comboTriggered) {
        logger.debug(QStringLiteral("双击 Option 已取消（组合键优先）"));
        return;
    }
    // Held on: a key or a click may still turn it into a shortcut, so the release decides.
    if (m_optionPressed) {
        m_doubleTapAwaitsRelease = true;
        logger.debug(QStringLiteral("双击 Option 等待松开"));
        return;
    }
    reportDoubleTap();
}

void ModifierKeyMonitor::reportDoubleTap() {
    logger.info(QStringLiteral("双击 Option 检测到，触发录音"));
    if (delegate) delegate->modifierKeyMonitorDidDoubleTapOption(*this);
}

bool ModifierKeyMonitor::tapSequenceActive() const {
    const bool firstTapOpen = m_firstOptionPressTime && secondsSince(*m_firstOptionPressTime) < doubleTapWindow;
    return firstTapOpen || m_pendingDoubleTapWork || m_doubleTapAwaitsRelease;
}

void ModifierKeyMonitor::resetTapSequence() {
    m_firstOptionPressTime.reset();
    m_doubleTapAwaitsRelease = false;
    cancelPendingDoubleTap();
}

void ModifierKeyMonitor::cancelPendingDoubleTap() {
    if (m_pendingDoubleTapWork) m_pendingDoubleTapWork->cancel();
    m_pendingDoubleTapWork.reset();
}

void ModifierKeyMonitor::cancelComboHoldCheck() {
    if (m_comboHoldCheck) m_comboHoldCheck->cancel();
    m_comboHoldCheck.reset();
}

double ModifierKeyMonitor::secondsSince(const QDateTime& time) const {
    return double(time.msecsTo(m_clock.now())) / 1000.0;
}

}  // namespace vocena
