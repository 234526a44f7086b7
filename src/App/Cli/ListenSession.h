#pragma once

#include "Core/VoiceInputServiceDelegate.h"
#include "Infrastructure/Hotkey/ModifierKeyMonitorDelegate.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

namespace vocena {

class Console;
class Preferences;
class VoiceInputService;

// One `vocena listen` run: turns gestures and Enter presses into toggles, and keeps a status
// line on standard error (redrawn in place on a terminal, one line per change elsewhere).
class ListenSession final : public QObject, public VoiceInputServiceDelegate, public ModifierKeyMonitorDelegate {
    Q_OBJECT
public:
    ListenSession(VoiceInputService& service, Preferences& preferences, Console& console, bool once);
    ~ListenSession() override;

    void modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor& monitor) override;
    void modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor& monitor, const QList<ModifierKeyType>& keys) override;
    void didUpdateText(VoiceInputService& service, const QString& text) override;
    void didUpdateState(VoiceInputService& service, const RecognitionState& state) override;

    // Ends the session (Ctrl+C, or the first dictation with --once).
    void finish() { Q_EMIT finished(); }

Q_SIGNALS:
    void finished();

private:
    void toggle();
    void drawStatus(bool stateChanged);
    VoiceInputMode workMode() const;
    QString modeTitle() const;

    VoiceInputService& m_service;
    Preferences& m_preferences;
    Console& m_console;
    const bool m_once;
    const bool m_terminal;
    QSocketNotifier* m_input = nullptr;
    QElapsedTimer m_elapsed;
    QTimer m_clock;
    QString m_state = QStringLiteral("idle");
    QString m_text;
};

}  // namespace vocena
