#pragma once

#include "Core/RecognitionState.h"

#include <QColor>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>
#include <memory>

class QLabel;

namespace vocena {

class PulseDot;
class Preferences;
class Scheduler;
class VoiceInputService;
class WorkItem;

// The live dictation banner: one row, 320 × 36, with the status dot, "澄言", the work-mode
// tag, the status text and, while recording, the recording time in tenths of a second (it
// stands still from the stop on, while the last words are recognised). While
// listening or recognizing it adds, when the live-text preference is on and something was
// heard, a second line with the end of the partial transcript and grows to 320 × 56. The
// partial transcript is shown on screen only, never logged.
class TopStatusBannerView final : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kLiveTextKey = "com.vocena.banner.liveText";
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 36;
    static constexpr int kHeightWithLiveText = 56;

    TopStatusBannerView(Scheduler& scheduler, Preferences& preferences, QWidget* parent = nullptr);
    ~TopStatusBannerView() override;

    // Follows the state and the partial transcript of `service` from now on (and no longer
    // those of a service observed before).
    void observe(VoiceInputService& service);
    void setRecognitionState(const RecognitionState& state);
    void setPartialText(const QString& text);
    // Re-reads the work mode (it may have changed while the banner was hidden).
    void refreshWorkMode();

    // What the banner shows, as the user reads it.
    QString statusText() const;
    QColor statusColor() const;
    QString workModeTag() const;
    QColor workModeColor() const;
    QString durationText() const;  // "3.5秒"; empty while not recording
    QString liveText() const;      // the elided second line; empty when not shown
    bool isPulsing() const;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startTimer();
    void stopTimer();
    void scheduleTick();
    void updateDuration();
    void updateLiveText();

    Scheduler& m_scheduler;
    Preferences& m_preferences;
    QPointer<VoiceInputService> m_service;
    QMetaObject::Connection m_stateConnection;
    QMetaObject::Connection m_textConnection;
    QMetaObject::Connection m_recordingConnection;

    RecognitionState m_lastState = RecognitionState::idle();
    int m_tenths = 0;  // the recording time: the sum of 0.1 s ticks
    bool m_stopped = false;  // the recording ended; its text is still being recognised
    std::shared_ptr<WorkItem> m_tick;
    QString m_partialText;
    int m_workMode = 0;

    PulseDot* m_dot;
    QLabel* m_modeTag;
    QLabel* m_status;
    QLabel* m_duration;
    QLabel* m_liveText;
};

}  // namespace vocena
