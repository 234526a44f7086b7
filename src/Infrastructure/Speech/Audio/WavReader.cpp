#include "Infrastructure/Speech/Audio/WavReader.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"

#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstring>

namespace vocena::WavReader {

namespace {

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatExtensible = 0xFFFE;

struct Format {
    quint16 code = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
};

quint16 u16(const char* p) { return qFromLittleEndian<quint16>(p); }
quint32 u32(const char* p) { return qFromLittleEndian<quint32>(p); }

// One sample of `bytes` little-endian bytes as a float in [-1, 1].
float sampleAt(const char* p, const Format& format) {
    if (format.code == kFormatFloat) {
        if (format.bits == 64) return float(qFromLittleEndian<double>(p));
        return qFromLittleEndian<float>(p);
    }
    switch (format.bits) {
    case 8: return (float(uchar(*p)) - 128.0f) / 128.0f;  // 8-bit WAV is unsigned
    case 16: return float(qFromLittleEndian<qint16>(p)) / 32768.0f;
    case 24: {
        const qint32 value = qint32(quint32(uchar(p[0])) << 8 | quint32(uchar(p[1])) << 16 | quint32(uchar(p[2])) << 24) >> 8;
        return float(value) / 8388608.0f;
    }
    default: return float(double(qFromLittleEndian<qint32>(p)) / 2147483648.0);
    }
}

QString describe(const Format& format) {
    return QStringLiteral("%1 Hz, %2 ch, %3-bit %4")
        .arg(format.rate)
        .arg(format.channels)
        .arg(format.bits)
        .arg(format.code == kFormatFloat ? QStringLiteral("float") : QStringLiteral("PCM"));
}

QString checkFormat(Format& format, const QByteArray& chunk) {
    if (chunk.size() < 16) return QStringLiteral("fmt 块太短");
    const char* p = chunk.constData();
    format.code = u16(p);
    format.channels = u16(p + 2);
    format.rate = int(u32(p + 4));
    format.bits = u16(p + 14);
    if (format.code == kFormatExtensible && chunk.size() >= 26) format.code = u16(p + 24);  // the sub-format GUID
    const bool pcm = format.code == kFormatPcm && (format.bits == 8 || format.bits == 16 || format.bits == 24 || format.bits == 32);
    const bool floating = format.code == kFormatFloat && (format.bits == 32 || format.bits == 64);
    if (!pcm && !floating) return QStringLiteral("不支持的 WAV 编码（格式 %1，%2 位）").arg(format.code).arg(format.bits);
    if (format.channels < 1 || format.channels > 32) return QStringLiteral("声道数无效: %1").arg(format.channels);
    if (format.rate < 1000 || format.rate > 384000) return QStringLiteral("采样率无效: %1").arg(format.rate);
    return {};
}

}  // namespace

std::vector<float> toMono16k(const std::vector<float>& interleaved, int channels, int rate) {
    const size_t frames = interleaved.size() / size_t(channels);
    std::vector<float> mono(frames);
    for (size_t i = 0; i < frames; ++i) {
        float sum = 0;
        for (int c = 0; c < channels; ++c) sum += interleaved[i * size_t(channels) + size_t(c)];
        mono[i] = sum / float(channels);
    }
    if (rate == AudioSource::kSampleRate || frames == 0) return mono;
    const double step = double(rate) / AudioSource::kSampleRate;
    const size_t outFrames = size_t(std::floor(double(frames - 1) / step)) + 1;
    std::vector<float> out(outFrames);
    for (size_t i = 0; i < outFrames; ++i) {
        const double position = double(i) * step;
        const size_t left = size_t(position);
        const size_t right = std::min(left + 1, frames - 1);
        const float fraction = float(position - double(left));
        out[i] = mono[left] + (mono[right] - mono[left]) * fraction;
    }
    return out;
}

std::optional<Audio> read(const QString& path, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return std::nullopt;
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(QStringLiteral("无法打开 %1: %2").arg(path, file.errorString()));
    const QByteArray header = file.read(12);
    if (header.size() < 12 || !header.startsWith("RIFF") || header.mid(8, 4) != "WAVE")
        return fail(QStringLiteral("%1 不是 WAV 文件").arg(path));

    Format format;
    bool haveFormat = false;
    while (!file.atEnd()) {
        const QByteArray chunkHeader = file.read(8);
        if (chunkHeader.size() < 8) break;
        const QByteArray id = chunkHeader.left(4);
        const quint32 size = u32(chunkHeader.constData() + 4);
        if (id == "fmt ") {
            const QString problem = checkFormat(format, file.read(qMin<qint64>(size, 64)));
            if (!problem.isEmpty()) return fail(problem);
            haveFormat = true;
            file.seek(file.pos() - qMin<qint64>(size, 64) + size + (size & 1));
        } else if (id == "data") {
            if (!haveFormat) return fail(QStringLiteral("%1 缺少 fmt 块").arg(path));
            const QByteArray data = file.read(qMin<qint64>(size, file.size() - file.pos()));
            const int bytes = format.bits / 8;
            const qsizetype count = data.size() / bytes / format.channels * format.channels;
            std::vector<float> interleaved(static_cast<size_t>(count));
            for (qsizetype i = 0; i < count; ++i) {
                const float value = sampleAt(data.constData() + i * bytes, format);
                interleaved[size_t(i)] = std::isfinite(value) ? std::clamp(value, -1.0f, 1.0f) : 0.0f;
            }
            return Audio{toMono16k(interleaved, format.channels, format.rate), describe(format)};
        } else if (!file.seek(file.pos() + size + (size & 1))) {
            break;
        }
    }
    return fail(QStringLiteral("%1 没有音频数据").arg(path));
}

}  // namespace vocena::WavReader
