#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <optional>

namespace vocena {

class CliServices;
class Console;

// Runs one transcript through the dictation pipeline with the stored settings, as the app
// does after a recording: voice commands, AI processing, output cleaning, typing. Without
// `inject` it is a dry run: the text is printed, key presses are described, nothing is typed
// or learned. Shared by `vocena process` and `vocena transcribe`; returns the exit code.
QCoro::Task<int> runTranscriptPipeline(CliServices& services, Console& console, QString transcript, bool inject,
                                       std::optional<int> workMode, QString commandName);

}  // namespace vocena
