#include "Infrastructure/Speech/Models/DownloadProgress.h"

#include <QStringList>
#include <cmath>

namespace vocena {

namespace {

// The speed is measured over the last three seconds, and only after half a second: the
// first chunks arrive in a burst that says little about the line.
constexpr qint64 kWindowMs = 3000;
constexpr qint64 kMinimumSpanMs = 500;

qint64 kilobytes(qint64 bytes) { return (bytes + 999) / 1000; }  // a started kilobyte counts

}  // namespace

void DownloadProgress::update(qint64 received, qint64 total, const QDateTime& now) {
    if (received < m_received) m_samples.clear();  // started over
    m_received = received;
    m_total = total;
    m_samples.append({now, received});
    // Keep the newest sample older than the window as its start.
    while (m_samples.size() > 2 && m_samples[1].time.msecsTo(now) >= kWindowMs) m_samples.removeFirst();
}

std::optional<double> DownloadProgress::bytesPerSecond() const {
    if (m_samples.size() < 2) return std::nullopt;
    const Sample& first = m_samples.first();
    const Sample& last = m_samples.last();
    const qint64 span = first.time.msecsTo(last.time);
    if (span < kMinimumSpanMs) return std::nullopt;
    return double(last.bytes - first.bytes) * 1000.0 / double(span);
}

std::optional<qint64> DownloadProgress::secondsRemaining() const {
    const std::optional<double> speed = bytesPerSecond();
    if (m_total <= 0 || !speed || *speed <= 0) return std::nullopt;
    return qint64(std::ceil(double(std::max<qint64>(m_total - m_received, 0)) / *speed));
}

bool DownloadProgress::visiblyDiffersFrom(const DownloadProgress& before) const {
    auto step = [](const DownloadProgress& progress) {
        return progress.m_total > 0 ? progress.m_received * 1000 / progress.m_total : progress.m_received / 100000;
    };
    return step(before) != step(*this) || before.m_total != m_total || before.downloaded() != downloaded();
}

QString DownloadProgress::amountText() const {
    if (std::max(m_total, m_received) < 1000000) {  // a small file: in kilobytes, not "0.0 MB"
        if (m_total > 0) return QStringLiteral("%1 / %2 KB").arg(kilobytes(m_received)).arg(kilobytes(m_total));
        return QStringLiteral("%1 KB").arg(kilobytes(m_received));
    }
    if (m_total > 0) return QStringLiteral("%1 / %2 MB").arg(megabytes(m_received), megabytes(m_total));
    return QStringLiteral("%1 MB").arg(megabytes(m_received));
}

QString DownloadProgress::detailText() const {
    QStringList parts{amountText()};
    if (const std::optional<double> speed = bytesPerSecond()) parts << speedText(*speed);
    if (const std::optional<qint64> seconds = secondsRemaining()) parts << remainingText(*seconds);
    return parts.join(QStringLiteral(" · "));
}

QString DownloadProgress::statusText() const {
    if (downloaded()) return QStringLiteral("正在解压并验证模型…");
    if (m_received > 0) return QStringLiteral("正在下载 %1").arg(detailText());
    return QStringLiteral("正在准备下载…");
}

std::optional<int> DownloadProgress::permille() const {
    if (m_total <= 0 || downloaded()) return std::nullopt;
    return int(m_received * 1000 / m_total);
}

QString DownloadProgress::megabytes(qint64 bytes) { return QString::number(double(bytes) / 1e6, 'f', 1); }

QString DownloadProgress::sizeText(qint64 bytes) {
    if (bytes >= 1000000) return QStringLiteral("%1 MB").arg(megabytes(bytes));
    return QStringLiteral("%1 KB").arg(kilobytes(bytes));
}

QString DownloadProgress::speedText(double bytesPerSecond) {
    if (bytesPerSecond >= 1e6) return QStringLiteral("%1 MB/s").arg(QString::number(bytesPerSecond / 1e6, 'f', 1));
    return QStringLiteral("%1 KB/s").arg(kilobytes(std::llround(bytesPerSecond)));
}

QString DownloadProgress::remainingText(qint64 seconds) {
    seconds = std::max<qint64>(seconds, 1);
    if (seconds < 60) return QStringLiteral("约 %1 秒").arg(seconds);
    if (seconds < 3600) {
        if (seconds % 60 == 0) return QStringLiteral("约 %1 分").arg(seconds / 60);
        return QStringLiteral("约 %1 分 %2 秒").arg(seconds / 60).arg(seconds % 60);
    }
    const qint64 minutes = (seconds + 59) / 60;  // an hour or more: whole minutes, rounded up
    if (minutes % 60 == 0) return QStringLiteral("约 %1 小时").arg(minutes / 60);
    return QStringLiteral("约 %1 小时 %2 分").arg(minutes / 60).arg(minutes % 60);
}

}  // namespace vocena
