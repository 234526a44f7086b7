// Dictation latencies on this machine, with the generated test model on the real sherpa-onnx
// library and the dictation controller as the app wires it:
//   toggle -> first captured buffer: the microphone check, the recognizer start and the
//     PulseAudio stream, until the first buffer's level reaches the main thread;
//   stop -> final text processed: speech whose last word only the final decode gives, fed as
//     the capture thread would, then a stop; until the text reaches the pipeline's typing.
// Needs a sound server: scripts/with-pulse build/bench/vocena_dictation_latency
#include "Infrastructure/Permissions/OwnThreadCall.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Speech/Audio/MicrophoneProbe.h"
#include "Infrastructure/Speech/Audio/PulseAudioCapture.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/SystemSpeechRecognizer.h"
#include "LatencyReport.h"
#include "support/BurstAudio.h"
#include "support/Dictation.h"
#include "support/FakeSpeech.h"
#include "support/SpeechTestAssets.h"

#include <QThread>

using namespace vocena;

namespace {

constexpr int kRuns = 20;

QCoro::Task<bool> microphoneAvailable() {
    const std::optional<MicrophoneProbe::Result> microphone =
        co_await callOnOwnThread<MicrophoneProbe::Result>([] { return MicrophoneProbe::check(); }, 2 * MicrophoneProbe::kTimeout);
    co_return microphone && microphone->status == MicrophoneProbe::Status::granted;
}

// Lets the decoding thread catch up, as it does while the user speaks.
void idle(int milliseconds) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Logging::install(Logging::Level::Notice);
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        std::fprintf(stderr, "needs a sound server: run under scripts/with-pulse\n");
        return 2;
    }
    const test::SpeechTestAssets& assets = test::SpeechTestAssets::shared();
    QString error;
    const auto model = assets.error.isEmpty() ? assets.loadable(QStringLiteral("good"), &error) : std::nullopt;
    SherpaOnnxEngine engine(Scheduler::main());
    if (!model || !engine.load(*model, {}, &error)) {
        std::fprintf(stderr, "no test model: %s%s\n", qPrintable(assets.error), qPrintable(error));
        return 1;
    }

    bool fromMicrophone = true;
    test::FakeAudioSource* pushed = nullptr;
    SystemSpeechRecognizer recognizer(&engine, [&]() -> std::unique_ptr<AudioSource> {
        if (fromMicrophone) return std::make_unique<PulseAudioCapture>();
        auto source = std::make_unique<test::FakeAudioSource>();
        pushed = source.get();
        return source;
    });
    test::Dictation dictation({.recognizer = &recognizer, .microphone = &microphoneAvailable});
    VoiceInputService& service = dictation.service;
    const QStringList& typed = dictation.keys.typed;
    int processed = 0;
    QObject::connect(&service, &VoiceInputService::processingFinished, [&] { ++processed; });

    std::vector<double> startLatency;
    QElapsedTimer timer;
    double firstBuffer = -1;
    QObject::connect(&service, &VoiceInputService::audioLevelChanged, [&] {
        if (firstBuffer < 0) firstBuffer = double(timer.nsecsElapsed()) / 1e6;
    });
    for (int run = 0; run < kRuns; ++run) {
        firstBuffer = -1;
        timer.start();
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        bench::spinUntil([&] { return firstBuffer >= 0; });
        if (firstBuffer >= 0) startLatency.push_back(firstBuffer);
        const int before = processed;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        bench::spinUntil([&] { return processed > before; });
    }

    fromMicrophone = false;
    const std::vector<float> speech = test::burstAudio();
    std::vector<double> stopLatency;
    for (int run = 0; run < kRuns; ++run) {
        pushed = nullptr;
        service.toggleVoiceInput(VoiceInputMode::inputMethod);
        bench::spinUntil([&] { return pushed && pushed->running; });
        if (!pushed) continue;
        pushed->push(speech);
        idle(300);
        const qsizetype before = typed.size();
        timer.start();
        service.stopVoiceInput();
        bench::spinUntil([&] { return typed.size() > before; });
        if (typed.size() > before) stopLatency.push_back(double(timer.nsecsElapsed()) / 1e6);
        bench::spinUntil([&] { return !service.isAwaitingFinalResult() && processed >= kRuns + run + 1; });
    }

    bench::report("toggle -> first captured buffer", startLatency);
    bench::report("stop -> final text processed", stopLatency);
    return startLatency.size() == kRuns && stopLatency.size() == kRuns ? 0 : 1;
}
