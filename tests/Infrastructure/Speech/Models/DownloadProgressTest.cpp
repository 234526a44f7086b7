// The progress texts of a model download: amounts, speed over the last seconds, time left.
#include "Infrastructure/Speech/Models/DownloadProgress.h"

#include <gtest/gtest.h>

using namespace vocena;

namespace {

const QDateTime kStart(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
constexpr qint64 MB = 1000000;

TEST(DownloadProgressTest, TextsOfSizeSpeedAndTimeLeft) {
    const QList<QPair<qint64, QString>> remaining = {
        {0, "约 1 秒"}, {45, "约 45 秒"}, {60, "约 1 分"}, {70, "约 1 分 10 秒"}, {3599, "约 59 分 59 秒"},
        {3600, "约 1 小时"}, {3601, "约 1 小时 1 分"}, {2 * 3600 + 5 * 60, "约 2 小时 5 分"},
    };
    for (const auto& [seconds, text] : remaining) EXPECT_EQ(DownloadProgress::remainingText(seconds), text) << seconds;
    const QList<QPair<double, QString>> speeds = {{2.1e6, "2.1 MB/s"}, {1e6, "1.0 MB/s"}, {850e3, "850 KB/s"}, {400, "1 KB/s"}};
    for (const auto& [speed, text] : speeds) EXPECT_EQ(DownloadProgress::speedText(speed), text) << speed;
    const QList<QPair<qint64, QString>> sizes = {{0, "0 KB"}, {1, "1 KB"}, {418, "1 KB"}, {999999, "1000 KB"}, {12345678, "12.3 MB"}};
    for (const auto& [bytes, text] : sizes) EXPECT_EQ(DownloadProgress::sizeText(bytes), text) << bytes;
}

TEST(DownloadProgressTest, SpeedIsMeasuredOverTheLastSecondsOfThisTransferAndTheStagesShowOnTheBar) {
    // name, the reports (seconds after the start, bytes), the total, the detail text
    const QList<std::tuple<const char*, QList<QPair<double, qint64>>, qint64, QString>> cases = {
        {"nothing measured yet", {{0, 0}}, 160 * MB, "0.0 / 160.0 MB"},
        {"a burst shorter than half a second", {{0, 0}, {0.2, 5 * MB}}, 160 * MB, "5.0 / 160.0 MB"},
        {"steady", {{0, 0}, {1, MB}, {2, 2 * MB}}, 10 * MB, "2.0 / 10.0 MB · 1.0 MB/s · 约 8 秒"},
        // A resumed download starts at the kept bytes, which took no time now.
        {"resumed", {{0, 80 * MB}, {2, 84 * MB}}, 160 * MB, "84.0 / 160.0 MB · 2.0 MB/s · 约 38 秒"},
        // Fast at first, then slow: the last three seconds count.
        {"slowed down", {{0, 0}, {1, 10 * MB}, {2, 20 * MB}, {3, 20 * MB + 500000}, {4, 21 * MB}, {5, 21 * MB + 500000}, {6, 22 * MB}},
         100 * MB, "22.0 / 100.0 MB · 500 KB/s · 约 2 分 36 秒"},
        {"size unknown", {{0, 0}, {1, 3 * MB}}, -1, "3.0 MB · 3.0 MB/s"},
        {"a small file", {{0, 0}, {1, 415}}, 830, "1 / 1 KB · 1 KB/s · 约 1 秒"},
    };
    for (const auto& [name, reports, total, detail] : cases) {
        DownloadProgress progress;
        for (const auto& [seconds, bytes] : reports) progress.update(bytes, total, kStart.addMSecs(qint64(seconds * 1000)));
        EXPECT_EQ(progress.detailText(), detail) << name;
    }

    // The stages and the bar (the text while the bytes come is the model card's).
    DownloadProgress progress;
    EXPECT_EQ(progress.statusText(), QStringLiteral("正在准备下载…"));
    EXPECT_EQ(progress.permille(), std::nullopt);
    progress.update(40 * MB, 160 * MB, kStart);
    EXPECT_EQ(progress.permille(), 250);
    progress.update(160 * MB, 160 * MB, kStart.addSecs(1));
    EXPECT_TRUE(progress.downloaded());
    EXPECT_EQ(progress.statusText(), QStringLiteral("正在解压并验证模型…"));
    EXPECT_EQ(progress.permille(), std::nullopt);  // busy while unpacking and verifying
}

}  // namespace
