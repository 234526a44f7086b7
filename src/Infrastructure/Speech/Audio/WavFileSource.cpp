#include "Infrastructure/Speech/Audio/WavFileSource.h"

#include "Infrastructure/Speech/Audio/WavReader.h"

namespace vocena {

bool WavFileSource::start(BufferHandler onBuffer, EndHandler onEnd, QString* error) {
    stop();
    std::optional<WavReader::Audio> audio = WavReader::read(m_path, error);
    if (!audio) return false;
    m_samples = std::move(audio->samples);
    m_sourceFormat = audio->sourceFormat;
    m_stopping = false;
    m_thread = std::thread([this, onBuffer = std::move(onBuffer), onEnd = std::move(onEnd)] {
        for (size_t at = 0; at < m_samples.size() && !m_stopping; at += kFramesPerBuffer)
            onBuffer(m_samples.data() + at, int(std::min<size_t>(kFramesPerBuffer, m_samples.size() - at)));
        if (!m_stopping) onEnd();
    });
    return true;
}

void WavFileSource::stop() {
    m_stopping = true;
    if (m_thread.joinable()) m_thread.join();
}

QString WavFileSource::formatDescription() const {
    return QStringLiteral("%1 Hz, 1 ch, float32 (WAV: %2, %3)").arg(kSampleRate).arg(m_path, m_sourceFormat);
}

}  // namespace vocena
