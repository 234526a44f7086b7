#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace vocena::bench {

// Runs the main thread's events until `condition` holds, at most 5 seconds.
template <typename Condition>
void spinUntil(Condition condition) {
    QElapsedTimer limit;
    limit.start();
    while (!condition() && limit.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
}

// One line: the median, the 90th percentile and the maximum of `samples` (milliseconds).
inline void report(const char* what, std::vector<double> samples) {
    if (samples.empty()) {
        std::printf("%-34s no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    std::printf("%-34s median %6.1f ms   p90 %6.1f ms   max %6.1f ms\n", what, samples[samples.size() / 2],
                samples[samples.size() * 9 / 10], samples.back());
}

}  // namespace vocena::bench
