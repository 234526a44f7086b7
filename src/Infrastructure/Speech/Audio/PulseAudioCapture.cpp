#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"

#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Audio/PulseAudioConnection.h"

#include <pulse/context.h>
#include <pulse/stream.h>

#include <algorithm>

namespace vocena {

namespace {
const Logger logger("SpeechRecognizer");
constexpr pa_sample_spec kSampleSpec{PA_SAMPLE_FLOAT32NE, AudioSource::kSampleRate, 1};
}  // namespace

PulseAudioCapture::PulseAudioCapture(std::chrono::milliseconds timeout) : m_timeout(timeout) {}

PulseAudioCapture::~PulseAudioCapture() { stop(); }

bool PulseAudioCapture::start(BufferHandler onBuffer, EndHandler onEnd, QString* error) {
    stop();
    m_onBuffer = std::move(onBuffer);
    m_onEnd = std::move(onEnd);
    m_filled = 0;
    m_connection = std::make_unique<PulseAudioConnection>();
    const auto deadline = std::chrono::steady_clock::now() + m_timeout;
    if (m_connection->connect(deadline, error) && openStream(deadline, error)) {
        logger.debug(QStringLiteral("音频录制已启动: %1").arg(formatDescription()));
        return true;
    }
    stop();
    return false;
}

bool PulseAudioCapture::openStream(std::chrono::steady_clock::time_point deadline, QString* error) {
    PulseAudioConnection::Lock lock(*m_connection);
    m_stream = pa_stream_new(m_connection->context(), "澄言 dictation", &kSampleSpec, nullptr);
    if (!m_stream) {
        *error = QStringLiteral("无法创建录音流: %1").arg(m_connection->lastError());
        return false;
    }
    pa_stream_set_state_callback(m_stream, &PulseAudioCapture::onStreamState, this);
    pa_stream_set_read_callback(m_stream, &PulseAudioCapture::onReadable, this);
    // One buffer per fragment; the server sets the source's latency to match.
    pa_buffer_attr attributes;
    attributes.maxlength = uint32_t(-1);
    attributes.fragsize = uint32_t(kFramesPerBuffer * sizeof(float));
    attributes.tlength = attributes.prebuf = attributes.minreq = uint32_t(-1);
    // Not moved when the source goes away: the server's fallback is often the monitor of an
    // output, which would record what the speakers play. The stream ends instead.
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(m_stream, nullptr, &attributes, flags) < 0) {
        *error = QStringLiteral("无法打开录音流: %1").arg(m_connection->lastError());
        return false;
    }
    const bool settled = m_connection->waitUntil([this] { return m_ready || !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream)); }, deadline);
    if (!m_ready) {
        *error = settled ? QStringLiteral("没有可用的输入设备: %1").arg(m_connection->lastError())
                         : QStringLiteral("声音服务器没有打开录音流");
        return false;
    }
    m_sourceName = QString::fromUtf8(pa_stream_get_device_name(m_stream));
    return true;
}

void PulseAudioCapture::stop() {
    if (!m_connection) return;
    {
        // Under the lock no callback is running; without callbacks none runs again.
        PulseAudioConnection::Lock lock(*m_connection);
        releaseStream();
    }
    m_connection.reset();
    m_onBuffer = nullptr;
    m_onEnd = nullptr;
    m_ready = false;
}

void PulseAudioCapture::releaseStream() {
    if (!m_stream) return;
    pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pa_stream_set_read_callback(m_stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
    m_stream = nullptr;
}

QString PulseAudioCapture::formatDescription() const {
    const QString source = m_sourceName.isEmpty() ? QStringLiteral("default source") : m_sourceName;
    return QStringLiteral("%1 Hz, 1 ch, float32 (PulseAudio: %2)").arg(kSampleRate).arg(source);
}

void PulseAudioCapture::onStreamState(pa_stream* stream, void* self) {
    auto* capture = static_cast<PulseAudioCapture*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY) capture->m_ready = true;
    if (capture->m_ready && !PA_STREAM_IS_GOOD(state)) {
        // The server or the source went away while capturing: the audio has ended.
        logger.error(QStringLiteral("录音流中断: %1").arg(capture->m_connection->lastError()));
        capture->releaseStream();
        if (capture->m_onEnd) capture->m_onEnd();
    }
    PulseAudioConnection::wake(capture->m_connection.get());
}

void PulseAudioCapture::onReadable(pa_stream* stream, size_t, void* self) {
    auto* capture = static_cast<PulseAudioCapture*>(self);
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        capture->append(static_cast<const float*>(data), int(bytes / sizeof(float)));
        pa_stream_drop(stream);
    }
}

void PulseAudioCapture::append(const float* samples, int frames) {
    while (frames > 0) {
        const int count = std::min(frames, kFramesPerBuffer - m_filled);
        float* target = m_buffer.data() + m_filled;
        samples ? std::copy_n(samples, count, target) : std::fill_n(target, count, 0.0f);
        if (samples) samples += count;
        frames -= count;
        m_filled += count;
        if (m_filled == kFramesPerBuffer) {
            m_filled = 0;
            if (m_onBuffer) m_onBuffer(m_buffer.data(), kFramesPerBuffer);
        }
    }
}

}  // namespace vocena
