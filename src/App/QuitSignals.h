#pragma once

#include <functional>

class QObject;

namespace vocena {

// Calls `handler` on the main loop when the process gets SIGINT or SIGTERM, for as long as
// `context` lives (one handler per process).
void onQuitSignals(QObject* context, std::function<void()> handler);

}  // namespace vocena
