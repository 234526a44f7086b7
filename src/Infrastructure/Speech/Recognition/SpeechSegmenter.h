#pragma once

#include "Infrastructure/Speech/Recognition/PauseCutter.h"

#include <QString>
#include <optional>
#include <vector>

namespace vocena {

// Cuts the audio of one dictation into segments at the pauses the streaming recogniser hears
// (PauseCutter), for the final pass to decode while the user goes on speaking. Fed every
// stretch of audio with the streaming text after its decode, on the decoding thread. Each
// segment carries the streaming text of its words, kept wherever the final pass fails.
class SpeechSegmenter {
public:
    struct Segment {
        int index = 0;
        std::vector<float> samples;  // 16 kHz mono
        QString streamingText;
    };

    // After `samples` were decoded to `text` (the whole dictation's streaming text).
    std::optional<Segment> advance(const float* samples, int frames, const QString& text);
    // The last segment, from the last cut to the end; `finalText` is the streaming model's final
    // text. Its streaming text is all of `finalText` past the earlier segments' words, or, when
    // the streaming model rewrote those, the whole of it (consistent() then says false).
    Segment finish(const QString& finalText);
    // Whether the streaming text still begins with the words of the segments cut so far.
    bool consistent() const { return m_consistent; }

private:
    PauseCutter m_cutter;
    QString m_text;     // the streaming text at the last stretch
    QString m_cutText;  // the streaming text at the last cut: the words of the segments cut
    int m_nextIndex = 0;
    bool m_consistent = true;
};

}  // namespace vocena
