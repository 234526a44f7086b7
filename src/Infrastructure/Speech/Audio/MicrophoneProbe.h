#pragma once

#include <QString>
#include <chrono>

namespace vocena {

// The microphone "permission" on Linux: the sound server answers and its default source is
// an input (not the monitor of an output). Takes a few milliseconds with a server, fails at
// once without one, and gives up after the time-out when the server does not answer.
class MicrophoneProbe {
public:
    enum class Status { granted, noServer, noSource };
    struct Result {
        Status status = Status::noServer;
        QString detail;  // the source's name when granted, else the reason
    };

    static constexpr std::chrono::milliseconds kTimeout{500};

    // Blocks for up to `timeout`: off the main thread, run it with callOnOwnThread.
    static Result check(std::chrono::milliseconds timeout = kTimeout);
};

}  // namespace vocena
