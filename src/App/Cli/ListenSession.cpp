#include "App/Cli/ListenSession.h"

#include "App/Cli/CliCommand.h"
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/LLM/AISettingsStore.h"

#include <QSocketNotifier>
#include <cstdio>
#include <unistd.h>

namespace vocena {

namespace {
QString stateLabel(const QString& state) {
    if (state == QLatin1String("listening")) return QStringLiteral("正在听");
    if (state == QLatin1String("recognizing")) return QStringLiteral("识别中");
    if (state == QLatin1String("aiProcessing")) return QStringLiteral("AI 处理中");
    if (state == QLatin1String("completed")) return QStringLiteral("完成");
    if (state == QLatin1String("idle")) return QStringLiteral("空闲");
    return state;
}
}  // namespace

ListenSession::ListenSession(VoiceInputService& service, Preferences& preferences, Console& console, bool once)
    : m_service(service), m_preferences(preferences), m_console(console), m_once(once), m_terminal(isatty(STDERR_FILENO)) {
    m_service.delegate = this;
    if (isatty(STDIN_FILENO)) {
        m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(m_input, &QSocketNotifier::activated, this, [this] {
            char buffer[256];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                m_input->setEnabled(false);  // end of input: gestures only
                return;
            }
            if (memchr(buffer, '\n', size_t(n))) toggle();
        });
    }
    m_clock.setInterval(200);
    connect(&m_clock, &QTimer::timeout, this, [this] { drawStatus(false); });
    connect(&m_service, &VoiceInputService::processingFinished, this, [this] {
        if (m_once) finish();
    });
}

ListenSession::~ListenSession() {
    if (m_service.delegate == this) m_service.delegate = nullptr;
}

VoiceInputMode ListenSession::workMode() const {
    return voiceInputModeFromPreference(m_preferences.intValue(QString::fromLatin1(AISettingsStore::kWorkModeKey)).value_or(0));
}

QString ListenSession::modeTitle() const {
    return workMode() == VoiceInputMode::inputMethod ? QStringLiteral("澄言 · 语音输入法") : QStringLiteral("澄言慢 · 语音助手");
}

void ListenSession::toggle() { m_service.toggleVoiceInput(workMode()); }

void ListenSession::modifierKeyMonitorDidDoubleTapOption(ModifierKeyMonitor&) { toggle(); }

void ListenSession::modifierKeyMonitorDidTriggerCombo(ModifierKeyMonitor&, const QList<ModifierKeyType>&) {
    m_preferences.setValue(QString::fromLatin1(AISettingsStore::kWorkModeKey), workMode() == VoiceInputMode::inputMethod ? 1 : 0);
    m_console.err(QStringLiteral("%1工作模式: %2").arg(m_terminal ? QStringLiteral("\r\033[K") : QString(), modeTitle()));
}

void ListenSession::didUpdateText(VoiceInputService&, const QString& text) {
    m_text = text;
    drawStatus(false);
}

void ListenSession::didUpdateState(VoiceInputService&, const RecognitionState& state) {
    if (state.kind() == RecognitionState::Kind::listening) {
        m_elapsed.start();
        m_clock.start();
    } else if (!m_service.isRecording()) {
        m_clock.stop();
    }
    m_state = state.description();
    drawStatus(true);
}

void ListenSession::drawStatus(bool stateChanged) {
    const qint64 seconds = m_elapsed.isValid() ? m_elapsed.elapsed() / 1000 : 0;
    const QString line = QStringLiteral("[%1] %2:%3 %4")
                             .arg(stateLabel(m_state))
                             .arg(seconds / 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                             .arg(m_text.right(60));
    if (m_terminal) {
        const QByteArray bytes = (QStringLiteral("\r\033[K") + line).toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
    } else if (stateChanged) {
        m_console.err(line);  // one line per state when the output is not a terminal
    }
}

}  // namespace vocena
