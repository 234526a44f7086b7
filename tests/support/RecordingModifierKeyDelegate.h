#pragma once

#include "Infrastructure/Hotkey/ModifierKeyMonitorDelegate.h"
#include "Infrastructure/Platform/Clock.h"

#include <QDateTime>
#include <QStringList>

namespace vocena::test {

// Writes down each gesture with the milliseconds since `start` on `clock`:
// "doubleTap@620", "combo(option,control)@300".
class RecordingModifierKeyDelegate final : public ModifierKeyMonitorDelegate {
public:
    RecordingModifierKeyDelegate(const Clock& clock, QDateTime start) : m_clock(clock), m_start(std::move(start)) {}

    QStringList gestures;

    void modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor&, const QList<ModifierKeyType>& keys) override {
        static const char* const names[] = {"option", "control", "command", "shift"};
        QStringList list;
        for (ModifierKeyType key : keys) list << QString::fromLatin1(names[int(key)]);
        record(QStringLiteral("combo(%1)").arg(list.join(QLatin1Char(','))));
    }
    void modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor&) override { record(QStringLiteral("doubleTap")); }

private:
    void record(const QString& gesture) { gestures << QStringLiteral("%1@%2").arg(gesture).arg(m_start.msecsTo(m_clock.now())); }

    const Clock& m_clock;
    QDateTime m_start;
};

}  // namespace vocena::test
