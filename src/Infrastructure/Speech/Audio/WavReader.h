#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace vocena::WavReader {

// The audio of a WAV file as the recognizer takes it: 16 kHz mono float in [-1, 1].
struct Audio {
    std::vector<float> samples;
    QString sourceFormat;  // "22050 Hz, 1 ch, 16-bit PCM"
};

// Reads PCM (8, 16, 24 or 32 bit) and IEEE float (32 or 64 bit) WAV files, WAVE_FORMAT_EXTENSIBLE
// included. Several channels are mixed down by their mean. Another sample rate is converted
// by linear interpolation: simple and enough for speech (no anti-aliasing filter, so content
// above 8 kHz folds back, at a level far below the voice). A data chunk that claims more than
// the file holds is read up to the end of the file. Nothing, with `error`, for anything else.
std::optional<Audio> read(const QString& path, QString* error);

// The conversion on its own: interleaved frames of `channels` at `rate` to 16 kHz mono.
std::vector<float> toMono16k(const std::vector<float>& interleaved, int channels, int rate);

}  // namespace vocena::WavReader
