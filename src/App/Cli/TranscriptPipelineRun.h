#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <optional>

namespace vocena {

class CliServices;
class Console;
class TranscriptPunctuation;

// Runs one transcript through the dictation pipeline with the stored settings, as the app
// does after a recording: voice commands, AI processing, output cleaning, typing. Without
// `inject` it is a dry run: the text is printed, key presses are described, nothing is typed
// or learned. With `punctuation`, a transcript that is no command is punctuated first. Shared by
// `vocena process` and `vocena transcribe`; returns the exit code.
QCoro::Task<int> runTranscriptPipeline(CliServices& services, Console& console, QString transcript, bool inject,
                                       std::optional<int> workMode, QString commandName,
                                       TranscriptPunctuation* punctuation = nullptr);

}  // namespace vocena
