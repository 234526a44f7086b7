#pragma once

#include <QObject>
#include <memory>

namespace vocena {

// A request to stop a long operation, shared between whoever may cancel it and the coroutine
// frames doing the work (hence held by shared_ptr): the work checks isCancelled() between its
// steps and connects cancelled() to what can be stopped at once (a network reply's abort, a
// child process's kill). Main thread only. Cancelling twice is the same as once.
class CancelToken : public QObject {
    Q_OBJECT
public:
    void cancel();
    bool isCancelled() const { return m_cancelled; }

    // False for no token.
    static bool isCancelled(const std::shared_ptr<CancelToken>& token) { return token && token->isCancelled(); }

Q_SIGNALS:
    void cancelled();

private:
    bool m_cancelled = false;
};

}  // namespace vocena
