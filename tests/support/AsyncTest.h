#pragma once

#include "Infrastructure/LLM/LLMTypes.h"

#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QString>
#include <optional>
#include <variant>

namespace vocena::test {

// The outcome of awaiting a task in a test: its value, or the description of what it threw.
template <typename T>
struct Outcome {
    std::optional<T> value;
    QString error;          // the LLMError description, or what() of another exception
    bool timedOut = false;  // a TransportError that was a time-out
    bool ok() const { return value.has_value(); }
};

namespace detail {
template <typename T>
QCoro::Task<> capture(QCoro::Task<T> task, Outcome<T>& outcome, QEventLoop& loop, bool& done) {
    try {
        outcome.value = co_await std::move(task);
    } catch (const TransportError& e) {
        outcome.error = e.description();
        outcome.timedOut = e.timedOut();
    } catch (const LLMError& e) {
        outcome.error = e.description();
    } catch (const std::exception& e) {
        outcome.error = QString::fromUtf8(e.what());
    }
    done = true;
    loop.quit();
}
}  // namespace detail

// Runs the task to its end in a nested event loop (tests only). Unlike QCoro::waitFor, a task
// that throws does not leave the loop running forever.
template <typename T>
Outcome<T> await(QCoro::Task<T>&& task) {
    Outcome<T> outcome;
    QEventLoop loop;
    bool done = false;
    detail::capture(std::move(task), outcome, loop, done);
    if (!done) loop.exec();
    return outcome;
}

namespace detail {
inline QCoro::Task<bool> asValue(QCoro::Task<> task) {
    co_await std::move(task);
    co_return true;
}
}  // namespace detail

inline Outcome<bool> await(QCoro::Task<>&& task) { return await(detail::asValue(std::move(task))); }

}  // namespace vocena::test
