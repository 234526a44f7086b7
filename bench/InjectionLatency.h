#pragma once

#include "Infrastructure/TextInjection/TextInjector.h"

#include "LatencyReport.h"

#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QThread>
#include <cstdio>
#include <vector>

namespace vocena::bench {

// The times of one way of typing, in milliseconds: from injectText() to the text in the field,
// and to the return of injectText().
struct InjectionLatency {
    std::vector<double> inField;
    std::vector<double> returned;
};

namespace detail {

inline QCoro::Task<> inject(TextInjector& injector, QString text, bool& done) {
    try {
        co_await injector.injectText(text, TextInjectionMode::automatic);
    } catch (const TextInjectionError& error) {
        std::printf("typing failed: %s\n", error.what());
    }
    done = true;
}

}  // namespace detail

// Types `text` into the focused `field` through `injector` `runs` times (the automatic mode, as
// the dictation pipeline calls it), emptying the field before each run.
inline InjectionLatency measureInjection(TextInjector& injector, QLineEdit& field, const QString& text, int runs = 30) {
    InjectionLatency latency;
    for (int run = 0; run < runs; ++run) {
        field.clear();
        bool done = false;
        QElapsedTimer timer;
        timer.start();
        detail::inject(injector, text, done);
        spinUntil([&] { return field.text() == text; });
        if (field.text() == text) latency.inField.push_back(double(timer.nsecsElapsed()) / 1e6);
        spinUntil([&] { return done; });
        latency.returned.push_back(double(timer.nsecsElapsed()) / 1e6);
        QThread::msleep(20);
    }
    return latency;
}

}  // namespace vocena::bench
