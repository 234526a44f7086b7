#include "Infrastructure/Speech/Recognition/FinalTextAssembly.h"

#include "Infrastructure/Speech/Recognition/FinalPass.h"

#include <algorithm>

namespace vocena {

namespace {

bool isLatinOrDigit(QChar c) { return c.isDigit() || (c.isLetter() && c.unicode() < 0x250); }

}  // namespace

FinalTextAssembly::Segment& FinalTextAssembly::at(int index) {
    if (index >= int(m_segments.size())) m_segments.resize(size_t(index) + 1);
    return m_segments[size_t(index)];
}

void FinalTextAssembly::addSegment(int index, QString streamingText) { at(index).streaming = std::move(streamingText); }

void FinalTextAssembly::setResult(int index, std::optional<QString> text, QString failure) {
    Segment& segment = at(index);
    segment.done = true;
    segment.text = std::move(text);
    segment.failure = std::move(failure);
}

void FinalTextAssembly::finishStreaming(QString streamingText, bool consistent) {
    m_streamingText = std::move(streamingText);
    m_consistent = consistent;
    m_streamingFinished = true;
}

int FinalTextAssembly::pending() const {
    return int(std::count_if(m_segments.begin(), m_segments.end(), [](const Segment& s) { return !s.done; }));
}

QString FinalTextAssembly::text() {
    QString text;
    m_allFromFinalPass = true;
    for (const Segment& segment : m_segments) {
        const QString failure = segment.done ? segment.failure : QStringLiteral("超时");
        const std::optional<QString> finalPass = segment.done ? segment.text : std::nullopt;
        const QString chosen = FinalPass::choose(segment.streaming, finalPass, failure);
        const bool fromFinalPass = finalPass && chosen == *finalPass;
        m_allFromFinalPass = m_allFromFinalPass && fromFinalPass;
        if (!fromFinalPass && !m_consistent) return m_streamingText;  // its segments do not split it
        text = join(text, chosen);
    }
    return text;
}

QString FinalTextAssembly::join(const QString& left, const QString& right) {
    if (left.isEmpty()) return right;
    if (right.isEmpty()) return left;
    if (isLatinOrDigit(left.back()) && isLatinOrDigit(right.front())) return left + u' ' + right;
    return left + right;
}

}  // namespace vocena
