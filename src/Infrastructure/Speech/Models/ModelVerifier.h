#pragma once

#include <QCoro/QCoroTask>
#include <QString>
#include <memory>

namespace vocena {

class CancelToken;
class SpeechModel;

// Whether a model really runs: the damage the library cannot report is looked for first (a
// malformed tokens file, no blank symbol for a CTC model, missing metadata), then the model is
// loaded and a second of silence is decoded (a punctuation model punctuates a sentence).
//
// sherpa-onnx ends the whole process (_Exit) on such damage, which no exception handler can
// stop, and the check above cannot know every case. So the app never tries an unknown model
// in its own process: it runs `<its own binary> model verify DIR` as a child process, which
// does verifyHere() and exits 0 (usable) or 1 (refused, the reason on standard error); any
// other end of the child (the library's exit code, a signal, a time-out) refuses the model too.
namespace ModelVerifier {

struct Result {
    bool ok = false;
    QString message;  // what was found; the reason when refused
};

// In this process. May end the process for the damage described above.
Result verifyHere(const SpeechModel& model);

// In a child process: `program model verify directory`, at most `timeoutSeconds`; a cancel
// kills the child (and refuses the model).
QCoro::Task<Result> verifyInChild(QString program, QString directory, int timeoutSeconds = 120, std::shared_ptr<CancelToken> cancel = {});

}  // namespace ModelVerifier
}  // namespace vocena
