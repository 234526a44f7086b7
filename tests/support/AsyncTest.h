#pragma once

#include "Infrastructure/LLM/LLMTypes.h"

#include <QCoro/QCoroTask>
#include <QEventLoop>
#include <QTimer>
#include <QString>
#include <chrono>
#include <memory>
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
// Shared with the awaiting frame, so that a task finishing after its test gave up on it writes
// into live memory.
template <typename T>
struct Awaiting {
    Outcome<T> outcome;
    QEventLoop loop;
    bool done = false;
};

template <typename T>
QCoro::Task<> capture(QCoro::Task<T> task, std::shared_ptr<Awaiting<T>> state) {
    try {
        state->outcome.value = co_await std::move(task);
    } catch (const TransportError& e) {
        state->outcome.error = e.description();
        state->outcome.timedOut = e.timedOut();
    } catch (const LLMError& e) {
        state->outcome.error = e.description();
    } catch (const std::exception& e) {
        state->outcome.error = QString::fromUtf8(e.what());
    }
    state->done = true;
    state->loop.quit();
}
}  // namespace detail

// Runs the task to its end in a nested event loop (tests only). Unlike QCoro::waitFor, a task
// that throws does not leave the loop running forever, and one that never ends fails its test
// after 90 s instead of holding up the whole run.
template <typename T>
Outcome<T> await(QCoro::Task<T>&& task) {
    auto state = std::make_shared<detail::Awaiting<T>>();
    detail::capture(std::move(task), state);
    if (!state->done) {
        QTimer::singleShot(std::chrono::seconds(90), &state->loop, [state] {
            state->outcome.error = QStringLiteral("the task did not finish within 90 s");
            state->loop.quit();
        });
        state->loop.exec();
    }
    return state->outcome;
}

namespace detail {
inline QCoro::Task<bool> asValue(QCoro::Task<> task) {
    co_await std::move(task);
    co_return true;
}
}  // namespace detail

inline Outcome<bool> await(QCoro::Task<>&& task) { return await(detail::asValue(std::move(task))); }

}  // namespace vocena::test
