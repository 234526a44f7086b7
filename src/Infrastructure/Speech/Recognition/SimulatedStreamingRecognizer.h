#pragma once

#include "Infrastructure/Speech/Recognition/PauseCutter.h"
#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"
#include "Infrastructure/Speech/Recognition/StreamingRecognizer.h"

#include <memory>
#include <vector>

namespace vocena {

// A non-streaming model as the whole recogniser, where no streaming model is installed: the
// segment being spoken is decoded again after every kStepSeconds of audio, which gives the
// live text; a pause (PauseCutter) ends the segment, whose text is then decoded once more over
// exactly its audio and kept. The text is the kept segments' and the current one's. At the end
// only the current segment is decoded, so that the cost of a stop does not grow with the
// length of the dictation.
//
// The work is done as the audio comes (acceptAudio()), in steps of whole kStepSeconds, so that
// what is heard does not depend on how the audio was batched. It takes no hotwords.
class SimulatedStreamingRecognizer final : public StreamingRecognizer {
public:
    static constexpr double kStepSeconds = 0.3;

    explicit SimulatedStreamingRecognizer(std::unique_ptr<SherpaOfflineRecognizer> recognizer)
        : m_recognizer(std::move(recognizer)) {}

    bool beginStream(QString* error, const Hotwords& hotwords = {}) override;
    void endStream() override;
    bool acceptAudio(const float* samples, int frames, QString* error) override;
    bool finishInput(QString* error) override;
    bool decode(QString*) override { return m_open; }
    std::optional<QString> text(QString* error) override;
    QString hotwordsUnavailableReason() const override;

    bool punctuatesItself() const { return m_recognizer->punctuatesItself(); }

private:
    // Decodes the current segment with the step's audio, and keeps it when a pause ended it.
    bool step(QString* error);
    std::optional<QString> recognize(const std::vector<float>& samples, QString* error);

    std::unique_ptr<SherpaOfflineRecognizer> m_recognizer;
    bool m_open = false;
    PauseCutter m_cutter;
    std::vector<float> m_step;  // audio since the last step
    QString m_kept;             // the text of the segments ended
    QString m_current;          // the text of the current segment at the last step
};

}  // namespace vocena
