#pragma once

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTask>
#include <QFutureWatcher>
#include <QPromise>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

namespace vocena {

// Runs a blocking call (opening an X display, asking the sound server) on a thread of its own
// and awaits its result on the calling thread's event loop for at most `timeout`. Nothing when
// the call did not finish in time or threw; a late call finishes on its own thread and its
// result is dropped. A thread of its own, not a pool's: a hung call must neither hold up other
// work nor the pool's wait at exit.
template <typename T>
QCoro::Task<std::optional<T>> callOnOwnThread(std::function<T()> call, std::chrono::milliseconds timeout) {
    auto promise = std::make_shared<QPromise<T>>();
    QFuture<T> future = promise->future();
    promise->start();
    std::thread([promise, call = std::move(call)] {
        try {
            promise->addResult(call());
        } catch (...) {
        }
        promise->finish();
    }).detach();
    QFutureWatcher<T> watcher;
    watcher.setFuture(future);
    if (!future.isFinished()) co_await qCoro(&watcher, &QFutureWatcherBase::finished, timeout);
    if (!future.isFinished() || future.resultCount() == 0) co_return std::nullopt;
    co_return future.result();
}

}  // namespace vocena
