// The progress texts of a model download: amounts, speed over the last seconds, time left.
#include "Infrastructure/Speech/Models/DownloadProgress.h"

#include <gtest/gtest.h>

using namespace vocena;

namespace {

const QDateTime kStart(QDate(2026, 1, 1), QTime(9, 0), Qt::UTC);
constexpr qint64 MB = 1000000;

TEST(DownloadProgressTest, SpeedIsMeasuredOverTheLastSecondsOfThisTransferAndTheTimeLeftFollowsIt) {
    // name, the reports (seconds after the start, bytes), the total, the detail text
    const QList<std::tuple<const char*, QList<QPair<double, qint64>>, qint64, QString>> cases = {
        {"steady", {{0, 0}, {1, MB}, {2, 2 * MB}}, 10 * MB, "2.0 / 10.0 MB · 1.0 MB/s · 约 8 秒"},
        // A resumed download starts at the kept bytes, which took no time now.
        {"resumed", {{0, 80 * MB}, {2, 84 * MB}}, 160 * MB, "84.0 / 160.0 MB · 2.0 MB/s · 约 38 秒"},
        // Fast at first, then slow: the last three seconds count.
        {"slowed down", {{0, 0}, {1, 10 * MB}, {2, 20 * MB}, {3, 20 * MB + 500000}, {4, 21 * MB}, {5, 21 * MB + 500000}, {6, 22 * MB}},
         100 * MB, "22.0 / 100.0 MB · 500 KB/s · 约 2 分 36 秒"},
        {"size unknown", {{0, 0}, {1, 3 * MB}}, -1, "3.0 MB · 3.0 MB/s"},
        {"a small file", {{0, 0}, {1, 415}}, 830, "1 / 1 KB · 1 KB/s · 约 1 秒"},
        {"hours left, in whole minutes rounded up", {{0, 0}, {1, 20000}}, 160 * MB, "0.0 / 160.0 MB · 20 KB/s · 约 2 小时 14 分"},
    };
    for (const auto& [name, reports, total, detail] : cases) {
        DownloadProgress progress;
        for (const auto& [seconds, bytes] : reports) progress.update(bytes, total, kStart.addMSecs(qint64(seconds * 1000)));
        EXPECT_EQ(progress.detailText(), detail) << name;
    }

    // Before the first bytes (the later stages are InstallProgressViewTest's).
    const DownloadProgress progress;
    EXPECT_EQ(progress.statusText(), QStringLiteral("正在准备下载…"));
    EXPECT_EQ(progress.permille(), std::nullopt);
}

}  // namespace
