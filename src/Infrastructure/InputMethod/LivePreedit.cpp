#include "Infrastructure/InputMethod/LivePreedit.h"

#include "Core/VoiceInputService.h"
#include "Infrastructure/InputMethod/Fcitx5Bridge.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"

namespace vocena {

namespace {
const Logger logger("LivePreedit");
}  // namespace

LivePreedit::LivePreedit(VoiceInputService& service, Fcitx5Bridge* bridge, Preferences& preferences, QObject* parent)
    : QObject(parent), m_bridge(bridge), m_preferences(preferences) {
    if (!bridge) return;
    m_recordingConnection = connect(&service, &VoiceInputService::isRecordingChanged, this, &LivePreedit::onRecordingChanged);
    m_textConnection = connect(&service, &VoiceInputService::recognizedTextChanged, this, &LivePreedit::onTextChanged);
}

LivePreedit::~LivePreedit() {
    disconnect(m_recordingConnection);
    disconnect(m_textConnection);
    clear();
}

void LivePreedit::onRecordingChanged(bool recording) {
    if (!recording) {
        clear();
        return;
    }
    m_active = m_preferences.boolValue(preferenceKey).value_or(true);
    m_failureLogged = false;
    m_sent.clear();
}

void LivePreedit::onTextChanged(const QString& text) {
    if (!m_active) return;
    if (m_inFlight) {
        m_pending = text;  // replaces a partial that was never sent
        return;
    }
    if (text == m_sent) return;
    m_pending = text;
    sendLatest();
}

void LivePreedit::clear() {
    m_active = false;
    m_pending.reset();
    if (!m_shown || !m_bridge) return;
    m_shown = false;
    // Sent at once, also while a SetPreedit is in flight: the bus keeps one connection's calls
    // in order, so the clear lands after it and before the commit of the final text.
    m_bridge->clearPreedit();
}

QCoro::Task<> LivePreedit::sendLatest() {
    QPointer self{this};
    while (self && m_active && m_bridge && m_pending && *m_pending != m_sent) {
        const QString text = *std::exchange(m_pending, std::nullopt);
        m_inFlight = true;
        m_shown = true;
        m_sent = text;
        const Fcitx5Bridge::Reply reply = co_await m_bridge->setPreedit(text);
        if (!self) co_return;
        m_inFlight = false;
        // No field has the focus: nothing to show until one has (no log line for that).
        if (!reply.ok && !reply.noFocus()) report(QStringLiteral("SetPreedit"), reply.failure());
    }
    if (self) m_pending.reset();
}

void LivePreedit::report(const QString& call, const QString& failure) {
    if (m_failureLogged) return;
    m_failureLogged = true;
    logger.info(QStringLiteral("实时预编辑 %1 失败: %2").arg(call, failure));
}

}  // namespace vocena
