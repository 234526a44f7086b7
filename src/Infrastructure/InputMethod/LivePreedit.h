#pragma once

#include <QCoro/QCoroTask>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <optional>

namespace vocena {

class Fcitx5Bridge;
class Preferences;
class VoiceInputService;

// While a recording runs, its partial transcript is shown as preedit (underlined, uncommitted
// text) in the focused field through the fcitx5 bridge, the way an input method shows what is
// being typed. The preedit is cleared the moment the recording ends, however it ends (a stop,
// an error, a quit), so the final text the dictation commits afterwards never meets a stale
// one. At most one call is in flight: partials that arrive meanwhile are coalesced, and the
// latest one is sent when the call returns. The transcript itself is never logged.
// Does nothing without a bridge (another typing backend) or with the preference off (read at
// each recording's start). Main thread only.
class LivePreedit final : public QObject {
    Q_OBJECT

public:
    static inline const QString preferenceKey = QStringLiteral("com.vocena.fcitx5.preedit");

    LivePreedit(VoiceInputService& service, Fcitx5Bridge* bridge, Preferences& preferences, QObject* parent = nullptr);
    // Clears a preedit still shown.
    ~LivePreedit() override;

private:
    void onRecordingChanged(bool recording);
    void onTextChanged(const QString& text);
    void clear();
    QCoro::Task<> sendLatest();
    void report(const QString& call, const QString& failure);

    QPointer<Fcitx5Bridge> m_bridge;
    Preferences& m_preferences;
    QMetaObject::Connection m_recordingConnection;
    QMetaObject::Connection m_textConnection;
    bool m_active = false;     // a recording runs and the preedit is wanted
    bool m_inFlight = false;   // a SetPreedit awaits its answer
    bool m_shown = false;      // something may be shown in a field
    bool m_failureLogged = false;
    std::optional<QString> m_pending;  // the latest partial not sent yet
    QString m_sent;
};

}  // namespace vocena
