#pragma once

#include <QString>
#include <functional>

namespace vocena {

// The question the memory watchdog puts to the user: quit, or keep running.
class MemoryAlert {
public:
    enum class Choice { quit, keepRunning };

    virtual ~MemoryAlert() = default;
    // Shows the alert without blocking; `answer` is called once, on the main thread.
    virtual void show(const QString& message, const QString& informativeText, std::function<void(Choice)> answer) = 0;
};

}  // namespace vocena
