#pragma once

#include <QCoro/QCoroTask>
#include <QPointer>

namespace vocena {

class VoiceInputService;

// Stops a recording in progress and waits (bounded) until the words of every stopped
// recording are processed and typed: what was said before a quit, a model reload or an alert
// that takes the focus is not lost.
QCoro::Task<> finishDictation(QPointer<VoiceInputService> service);

}  // namespace vocena
