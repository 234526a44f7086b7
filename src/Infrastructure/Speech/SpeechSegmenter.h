#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace vocena {

// Cuts the audio of one dictation into segments at the pauses the streaming recogniser hears,
// for the final pass to decode while the user goes on speaking. Fed every batch of audio with
// the streaming text after its decode (on the decoding thread):
//
// - a pause is kPauseSeconds of audio after the last change of the text, once the segment has
//   text of its own; the cut goes through the quietest stretch of that pause, so that neither
//   the last word nor the next one is split;
// - a segment that reaches kLongestSegmentSeconds without a pause is cut at the quietest
//   stretch of its last seconds, so that the work left at a stop never grows with the length
//   of the dictation;
// - a stretch with no text of its own is trimmed to its last second (the streaming model
//   heard nothing there, and the margin keeps a word's onset that it heard late).
//
// Each segment carries the streaming text of its words, kept wherever the final pass fails.
class SpeechSegmenter {
public:
    static constexpr double kPauseSeconds = 0.8;
    static constexpr double kLongestSegmentSeconds = 15.0;
    static constexpr double kSilentMarginSeconds = 1.0;

    struct Segment {
        int index = 0;
        std::vector<float> samples;  // 16 kHz mono
        QString streamingText;
    };

    // After the batch `samples` was decoded to `text` (the whole dictation's streaming text).
    std::optional<Segment> advance(const float* samples, int frames, const QString& text);
    // The last segment, from the last cut to the end; `finalText` is the streaming model's final
    // text. Its streaming text is all of `finalText` past the earlier segments' words, or, when
    // the streaming model rewrote those, the whole of it (consistent() then says false).
    Segment finish(const QString& finalText);
    // Whether the streaming text still begins with the words of the segments cut so far.
    bool consistent() const { return m_consistent; }

private:
    Segment cutAt(qsizetype end);
    // The middle of the quietest 30 ms of the buffer between `from` and `to` (sample offsets).
    qsizetype quietestPoint(qsizetype from, qsizetype to) const;

    std::vector<float> m_buffer;  // the audio since the last cut
    qsizetype m_sinceChange = 0;  // samples at the buffer's end since the text last changed
    QString m_text;               // the streaming text at the last batch
    QString m_cutText;            // the streaming text at the last cut: the words of the segments cut
    int m_nextIndex = 0;
    bool m_consistent = true;
};

}  // namespace vocena
