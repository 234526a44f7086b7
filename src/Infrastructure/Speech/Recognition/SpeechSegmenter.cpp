#include "Infrastructure/Speech/Recognition/SpeechSegmenter.h"

namespace vocena {

std::optional<SpeechSegmenter::Segment> SpeechSegmenter::advance(const float* samples, int frames, const QString& text) {
    const bool changed = text != m_text;
    if (changed && !text.startsWith(m_cutText)) m_consistent = false;
    m_text = text;
    // Once the segments no longer split the text, there is nothing more to cut by.
    const bool heardWords = m_consistent && m_text.size() > m_cutText.size();
    std::optional<std::vector<float>> cut = m_cutter.advance(samples, frames, changed, heardWords);
    if (!cut) return std::nullopt;
    Segment segment{m_nextIndex++, std::move(*cut), m_text.mid(m_cutText.size())};
    m_cutText = m_text;
    return segment;
}

SpeechSegmenter::Segment SpeechSegmenter::finish(const QString& finalText) {
    if (!finalText.startsWith(m_cutText)) m_consistent = false;
    Segment segment{m_nextIndex++, m_cutter.takeRest(), m_consistent ? finalText.mid(m_cutText.size()) : finalText};
    m_cutText = finalText;
    return segment;
}

}  // namespace vocena
