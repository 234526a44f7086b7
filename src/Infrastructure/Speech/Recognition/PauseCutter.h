#pragma once

#include <QtGlobal>
#include <optional>
#include <vector>

namespace vocena {

// Cuts audio at the pauses a recogniser hears, told after each stretch of audio whether its
// text changed and whether the audio since the last cut has words:
//
// - a pause is kPauseSeconds of audio after the last change of the text, once there are words;
//   the cut goes through the quietest stretch of that pause, so that neither the last word nor
//   the next one is split;
// - audio that reaches kLongestSegmentSeconds without a pause is cut at the quietest stretch
//   of its last seconds, so that what is left at the end never grows with the length of the
//   recording;
// - audio without words is trimmed to its last second (the margin keeps the onset of a word
//   that the recogniser heard late).
class PauseCutter {
public:
    static constexpr double kPauseSeconds = 0.8;
    static constexpr double kLongestSegmentSeconds = 15.0;
    static constexpr double kSilentMarginSeconds = 1.0;

    // The audio up to the cut, when `samples` completed a segment.
    std::optional<std::vector<float>> advance(const float* samples, int frames, bool textChanged, bool heardWords);
    // The audio since the last cut.
    const std::vector<float>& pending() const { return m_buffer; }
    std::vector<float> takeRest();

private:
    std::vector<float> cutAt(qsizetype end);
    // The middle of the quietest 30 ms of the buffer between `from` and `to` (sample offsets).
    qsizetype quietestPoint(qsizetype from, qsizetype to) const;

    std::vector<float> m_buffer;
    qsizetype m_sinceChange = 0;  // samples at the buffer's end since the text last changed
};

}  // namespace vocena
