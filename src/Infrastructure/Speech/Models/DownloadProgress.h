#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>

namespace vocena {

// How far a model download has come: the bytes received and in total, and the speed over the
// last few seconds, from which the time still needed follows. The texts are those the app
// shows: "12.3 / 160.0 MB", "2.1 MB/s", "约 1 分 10 秒".
class DownloadProgress {
public:
    qint64 received() const { return m_received; }
    qint64 total() const { return m_total; }  // -1 while unknown
    // The download is over: unpacking and verification follow.
    bool downloaded() const { return m_total > 0 && m_received >= m_total; }

    // A report of the transfer at `now`. The first report sets the starting point of the speed
    // (a resumed download starts at the bytes it kept, which took no time now).
    void update(qint64 received, qint64 total, const QDateTime& now);

    // Nothing until the transfer has run for a moment.
    std::optional<double> bytesPerSecond() const;
    // Nothing while the size or the speed is unknown.
    std::optional<qint64> secondsRemaining() const;

    // Whether a view of `before` looks different from one of this: the network reports every
    // chunk, a view redraws once per tenth of a percent (per 100 kB while the size is unknown).
    bool visiblyDiffersFrom(const DownloadProgress& before) const;

    // "12.3 / 160.0 MB", or "12.3 MB" while the size is unknown; in KB below a megabyte.
    QString amountText() const;
    // The amount, the speed and the time left as far as known, joined by " · ".
    QString detailText() const;
    // What an install shows under its progress bar: preparing, downloading (with the detail),
    // or unpacking and verifying once the bytes are in.
    QString statusText() const;
    // The bar's position in tenths of a percent; nothing while it cannot be measured (the size
    // is unknown, or unpacking and verification run).
    std::optional<int> permille() const;

    static QString megabytes(qint64 bytes);                // "12.3"
    static QString sizeText(qint64 bytes);                 // "12.3 MB", under a megabyte "418 KB"
    static QString speedText(double bytesPerSecond);       // "2.1 MB/s", "850 KB/s"
    static QString remainingText(qint64 seconds);          // "约 45 秒", "约 1 分 10 秒", "约 2 小时 5 分"

private:
    struct Sample {
        QDateTime time;
        qint64 bytes;
    };
    qint64 m_received = 0;
    qint64 m_total = -1;
    QList<Sample> m_samples;  // the window the speed is measured over, oldest first
};

}  // namespace vocena
