// The final pass on this machine, on the real sherpa-onnx library:
//   stop -> final text: from endAudio() to the final result after 5 s, 30 s and 120 s of
//     speech with pauses (utterances of the generated speech with 1.5 s between them), fed in
//     0.1 s buffers at twenty times the speed of speech, the stop once the decoders caught up.
//     With the final pass only the last segment is left at the stop: the figure stays flat.
//   partial: from the buffer that changed the live text to the partial result, with the
//     streaming model alone and with the final pass decoding beside it.
// The generated test models by default; real ones with their folders as the arguments:
//   build/bench/vocena_final_pass_latency [STREAMING_MODEL_DIR FINAL_PASS_MODEL_DIR]
#include "Infrastructure/Platform/Clock.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/MemoryProbe.h"
#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "Infrastructure/Speech/Audio/WavReader.h"
#include "LatencyReport.h"
#include "support/SpeechTestAssets.h"

#include <QElapsedTimer>

using namespace vocena;

namespace {

constexpr int kRuns = 2;

double milliseconds(qint64 nanoseconds) { return double(nanoseconds) / 1e6; }

// Utterances of `words` with 1.5 s of silence between them, `seconds` long in all.
std::vector<float> dictation(const std::vector<float>& words, double seconds) {
    std::vector<float> audio;
    while (double(audio.size()) < seconds * AudioSource::kSampleRate) {
        if (!audio.empty()) audio.insert(audio.end(), size_t(1.5 * AudioSource::kSampleRate), 0.0f);
        audio.insert(audio.end(), words.begin(), words.end());
    }
    audio.resize(size_t(seconds * AudioSource::kSampleRate));
    return audio;
}

struct Run {
    double stopMilliseconds = -1;
    std::vector<double> partials;
    QString text;
};

// One dictation of `audio`: the partial latencies on the way, and stop -> final text.
Run dictate(SherpaOnnxEngine& engine, const std::vector<float>& audio) {
    Run run;
    QElapsedTimer clock;
    clock.start();
    qint64 lastFeed = 0;
    qint64 finalAt = -1;
    const QMetaObject::Connection results =
        QObject::connect(&engine, &RecognitionEngine::resultReady, [&](quint64, const QString& text, float, bool isFinal) {
            if (isFinal) {
                finalAt = clock.nsecsElapsed();
                run.text = text;
            } else {
                run.partials.push_back(milliseconds(clock.nsecsElapsed() - lastFeed));
            }
        });
    const quint64 task = engine.start();
    for (size_t at = 0; at < audio.size(); at += AudioSource::kSampleRate / 10) {
        lastFeed = clock.nsecsElapsed();
        engine.acceptAudio(task, audio.data() + at, int(std::min<size_t>(AudioSource::kSampleRate / 10, audio.size() - at)));
        QElapsedTimer buffer;
        buffer.start();
        while (buffer.elapsed() < 5) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    // The decoders catch up, as they do while the user reaches for the keys: 0.5 s without a
    // partial (at this speed a backlog of the streaming model gives one every few buffers).
    qint64 lastPartial = clock.nsecsElapsed();
    std::size_t seen = run.partials.size();
    bench::spinUntil([&] {
        if (run.partials.size() != seen) {
            seen = run.partials.size();
            lastPartial = clock.nsecsElapsed();
        }
        return clock.nsecsElapsed() - lastPartial > 500'000'000;
    });
    const qint64 stop = clock.nsecsElapsed();
    engine.endAudio(task);
    bench::spinUntil([&] { return finalAt >= 0; });
    if (finalAt >= 0) run.stopMilliseconds = milliseconds(finalAt - stop);
    QObject::disconnect(results);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Logging::install(Logging::Level::Error);
    const test::SpeechTestAssets& assets = test::SpeechTestAssets::shared();
    if (!assets.error.isEmpty()) {
        std::fprintf(stderr, "no test models: %s\n", qPrintable(assets.error));
        return 1;
    }
    const QString streamingFolder = argc > 2 ? QString::fromLocal8Bit(argv[1]) : assets.model(QStringLiteral("good"));
    const QString finalPassFolder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : assets.offlineModel(QStringLiteral("good"));
    QString error;
    const std::optional<SpeechModel> streaming = SpeechModelDetector::detect(streamingFolder, std::nullopt, &error);
    const std::optional<SpeechModel> finalPass = SpeechModelDetector::detect(finalPassFolder, std::nullopt, &error);
    const std::optional<WavReader::Audio> words = WavReader::read(assets.speechWav(), &error);
    if (!streaming || !finalPass || !words) {
        std::fprintf(stderr, "cannot read the models or the speech: %s\n", qPrintable(error));
        return 1;
    }
    SherpaOnnxEngine engine(Scheduler::main());
    bool complete = true;
    const MemoryProbe memory;
    const qint64 bare = memory.residentBytes().value_or(0);
    for (const bool withFinalPass : {false, true}) {
        if (!engine.load(*streaming, {}, &error, withFinalPass ? finalPass : std::nullopt) ||
            withFinalPass != !engine.finalPassModelName().isEmpty()) {
            std::fprintf(stderr, "the models do not load: %s %s\n", qPrintable(error), qPrintable(engine.finalPassProblem()));
            return 1;
        }
        std::printf("%-34s %6.1f MB resident, %6.1f MB for the models\n", withFinalPass ? "loaded, with the final pass" : "loaded, streaming alone",
                    double(memory.residentBytes().value_or(0)) / 1048576.0, double(memory.residentBytes().value_or(0) - bare) / 1048576.0);
        std::vector<double> partials;
        for (const double seconds : {5.0, 30.0, 120.0}) {
            std::vector<double> stops;
            for (int n = 0; n < kRuns; ++n) {
                Run run = dictate(engine, dictation(words->samples, seconds));
                complete = complete && run.stopMilliseconds >= 0 && !run.text.isEmpty();
                if (run.stopMilliseconds >= 0) stops.push_back(run.stopMilliseconds);
                partials.insert(partials.end(), run.partials.begin(), run.partials.end());
            }
            const QByteArray label = QStringLiteral("stop -> final, %1 s%2").arg(seconds).arg(withFinalPass ? ", final pass" : "").toUtf8();
            bench::report(label.constData(), stops);
        }
        bench::report(withFinalPass ? "partial, with the final pass" : "partial, streaming alone", partials);
    }
    return complete ? 0 : 1;
}
