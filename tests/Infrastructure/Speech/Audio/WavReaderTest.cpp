// WAV files of the shapes the transcribe command meets, written byte by byte.
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QtEndian>
#include <bit>

using namespace vocena;

namespace {

QByteArray le16(quint16 v) { QByteArray b(2, 0); qToLittleEndian(v, b.data()); return b; }
QByteArray le32(quint32 v) { QByteArray b(4, 0); qToLittleEndian(v, b.data()); return b; }

// RIFF/WAVE with a LIST chunk before "fmt " (as many tools write) and `dataSize` as declared.
QByteArray wav(quint16 format, quint16 channels, quint32 rate, quint16 bits, const QByteArray& data, qint64 dataSize = -1) {
    QByteArray fmt = le16(format) + le16(channels) + le32(rate) + le32(rate * channels * bits / 8) + le16(channels * bits / 8) + le16(bits);
    QByteArray body = "WAVE" + QByteArray("LIST") + le32(3) + QByteArray("abc\0", 4) + "fmt " + le32(fmt.size()) + fmt + "data" +
                      le32(quint32(dataSize < 0 ? data.size() : dataSize)) + data;
    return "RIFF" + le32(body.size()) + body;
}

TEST(WavReaderTest, StereoPcmIsMixedDownAndResampledTo16kHzFloatIsReadAndTheRestRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    const auto read = [&path](const QByteArray& bytes, QString* error = nullptr) {
        return test::writeFile(path, bytes) ? WavReader::read(path, error) : std::nullopt;
    };
    QByteArray frames;
    for (int i = 0; i < 100; ++i) frames += le16(quint16(qint16(16384))) + le16(quint16(qint16(i % 2 ? 0 : -16384)));  // L = 0.5, R = -0.5 / 0
    const auto audio = read(wav(1, 2, 8000, 16, frames));
    ASSERT_TRUE(audio);
    EXPECT_EQ(audio->samples.size(), 199u);  // twice the frames, the last one not extrapolated
    EXPECT_FLOAT_EQ(audio->samples[0], 0.0f);   // (0.5 - 0.5) / 2
    EXPECT_FLOAT_EQ(audio->samples[1], 0.125f);  // halfway to (0.5 + 0) / 2

    // Float at 16 kHz passes through, clamped; an overlong data chunk is read to the end.
    QByteArray data;
    for (float v : {0.25f, -1.5f, 0.5f}) data += le32(std::bit_cast<quint32>(v));
    EXPECT_EQ(read(wav(3, 1, 16000, 32, data, 0x7fffffff)).value_or(WavReader::Audio{}).samples,
              (std::vector<float>{0.25f, -1.0f, 0.5f}));

    // What it cannot read is refused with the reason.
    QString error;
    EXPECT_FALSE(read("not a wav file at all", &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不是 WAV")));
    EXPECT_FALSE(read(wav(2, 1, 16000, 4, QByteArray(10, 1)), &error));  // ADPCM
    EXPECT_TRUE(error.contains(QStringLiteral("不支持")));
    EXPECT_FALSE(read(wav(1, 0, 16000, 16, QByteArray(10, 1)), &error));
}

}  // namespace
