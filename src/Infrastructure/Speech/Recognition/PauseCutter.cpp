#include "Infrastructure/Speech/Recognition/PauseCutter.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"

#include <algorithm>
#include <limits>

namespace vocena {

namespace {

constexpr qsizetype samples(double seconds) { return qsizetype(seconds * AudioSource::kSampleRate); }

constexpr qsizetype kWindow = samples(0.03);
constexpr qsizetype kStep = samples(0.01);
// Where a segment too long for a pause is cut: in its last seconds, not at its very end.
constexpr qsizetype kLongCutSearch = samples(5.0);
constexpr qsizetype kLongCutGuard = samples(0.2);

}  // namespace

std::optional<std::vector<float>> PauseCutter::advance(const float* batch, int frames, bool textChanged, bool heardWords) {
    if (frames > 0) m_buffer.insert(m_buffer.end(), batch, batch + frames);
    m_sinceChange = textChanged ? 0 : m_sinceChange + std::max(0, frames);
    const qsizetype size = qsizetype(m_buffer.size());
    if (!heardWords) {
        // Nothing heard since the last cut: keep only the margin before what comes next.
        if (size > samples(2 * kSilentMarginSeconds))
            m_buffer.erase(m_buffer.begin(), m_buffer.begin() + (size - samples(kSilentMarginSeconds)));
        return std::nullopt;
    }
    if (m_sinceChange >= samples(kPauseSeconds)) return cutAt(quietestPoint(size - m_sinceChange, size));
    if (size >= samples(kLongestSegmentSeconds)) return cutAt(quietestPoint(size - kLongCutSearch, size - kLongCutGuard));
    return std::nullopt;
}

std::vector<float> PauseCutter::takeRest() {
    std::vector<float> rest = std::move(m_buffer);
    m_buffer.clear();
    m_sinceChange = 0;
    return rest;
}

std::vector<float> PauseCutter::cutAt(qsizetype end) {
    std::vector<float> segment(m_buffer.begin(), m_buffer.begin() + end);
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + end);
    m_sinceChange = std::min(m_sinceChange, qsizetype(m_buffer.size()));
    return segment;
}

qsizetype PauseCutter::quietestPoint(qsizetype from, qsizetype to) const {
    from = std::max<qsizetype>(0, from);
    to = std::min<qsizetype>(qsizetype(m_buffer.size()), to);
    if (to - from <= kWindow) return (from + to) / 2;
    qsizetype best = from;
    double bestEnergy = std::numeric_limits<double>::max();
    for (qsizetype start = from; start + kWindow <= to; start += kStep) {
        double energy = 0;
        for (qsizetype i = start; i < start + kWindow; ++i) energy += double(m_buffer[size_t(i)]) * m_buffer[size_t(i)];
        if (energy < bestEnergy) {
            bestEnergy = energy;
            best = start;
        }
    }
    return best + kWindow / 2;
}

}  // namespace vocena
