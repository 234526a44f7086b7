#pragma once

#include "support/Dictation.h"

namespace vocena::test {

// The dictation over a given recognizer, in the scheduler's time.
struct DictationHarness final : Dictation {
    DictationHarness(SpeechRecognitionProtocol& recognizer, Scheduler* scheduler)
        : Dictation({.recognizer = &recognizer, .scheduler = scheduler}) {}
};

}  // namespace vocena::test
