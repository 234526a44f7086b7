#include "Infrastructure/Speech/Recognition/SimulatedStreamingRecognizer.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/FinalTextAssembly.h"

#include <algorithm>

namespace vocena {

namespace {
constexpr size_t kStepFrames = size_t(SimulatedStreamingRecognizer::kStepSeconds * AudioSource::kSampleRate);
}

bool SimulatedStreamingRecognizer::beginStream(QString*, const Hotwords&) {
    endStream();
    m_open = true;
    return true;
}

void SimulatedStreamingRecognizer::endStream() {
    m_open = false;
    m_cutter = PauseCutter();
    m_step.clear();
    m_kept.clear();
    m_current.clear();
}

bool SimulatedStreamingRecognizer::acceptAudio(const float* samples, int frames, QString* error) {
    if (!m_open) return false;
    for (int at = 0; at < frames;) {
        const int take = int(std::min(size_t(frames - at), kStepFrames - m_step.size()));
        m_step.insert(m_step.end(), samples + at, samples + at + take);
        at += take;
        if (m_step.size() == kStepFrames && !step(error)) return false;
    }
    return true;
}

bool SimulatedStreamingRecognizer::finishInput(QString* error) {
    if (!m_open) return false;
    return m_step.empty() || step(error);
}

std::optional<QString> SimulatedStreamingRecognizer::text(QString*) {
    if (!m_open) return std::nullopt;
    return FinalTextAssembly::join(m_kept, m_current);
}

QString SimulatedStreamingRecognizer::hotwordsUnavailableReason() const { return QStringLiteral("整句识别模型不使用热词"); }

bool SimulatedStreamingRecognizer::step(QString* error) {
    std::vector<float> segment = m_cutter.pending();
    segment.insert(segment.end(), m_step.begin(), m_step.end());
    const std::optional<QString> current = recognize(segment, error);
    if (!current) return false;
    const bool changed = *current != m_current;
    m_current = *current;
    std::optional<std::vector<float>> ended = m_cutter.advance(m_step.data(), int(m_step.size()), changed, !m_current.isEmpty());
    m_step.clear();
    if (!ended) return true;
    const std::optional<QString> kept = recognize(*ended, error);
    if (!kept) return false;
    m_kept = FinalTextAssembly::join(m_kept, *kept);
    const std::optional<QString> rest = recognize(m_cutter.pending(), error);
    if (!rest) return false;
    m_current = *rest;
    return true;
}

std::optional<QString> SimulatedStreamingRecognizer::recognize(const std::vector<float>& samples, QString* error) {
    if (samples.empty()) return QString();
    return m_recognizer->recognize(samples.data(), int(samples.size()), error);
}

}  // namespace vocena
