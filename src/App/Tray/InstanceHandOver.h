#pragma once

#include <QCoro/QCoroTask>
#include <optional>

namespace vocena {

class AppInstance;
class Console;

// The start of the app without arguments: claims the one instance. Nothing (run the app) when
// this process got it; otherwise another app runs, was asked to come forward, a line on
// standard error says so, and the process exits with the code returned (0, or 1 when the
// running app did not answer).
QCoro::Task<std::optional<int>> claimOrHandOver(AppInstance& instance, Console& console);

}  // namespace vocena
