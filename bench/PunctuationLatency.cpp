// Punctuation on this machine, on the real sherpa-onnx library:
//   punctuate 100 characters: one call of the punctuator on a 100-character transcript;
//   final transcript -> typed: the pipeline (AI off) from a final transcript of 100 characters
//     to its typing, with punctuation on the engine's decoding thread and without it: the
//     difference is what punctuation adds to stop -> text.
// The generated test model by default; the real one with its folder as the argument:
//   build/bench/vocena_punctuation_latency [~/.local/share/澄言/models/<punctuation model>]
#include "Core/VoiceInputService.h"
#include "Infrastructure/Platform/Logging.h"
#include "Infrastructure/Platform/Preferences.h"
#include "Infrastructure/Speech/Recognition/SherpaOnnxEngine.h"
#include "Infrastructure/Speech/Recognition/SherpaPunctuator.h"
#include "Infrastructure/Speech/Recognition/TranscriptPunctuator.h"
#include "LatencyReport.h"
#include "support/AsyncTest.h"
#include "Infrastructure/Speech/Models/SpeechModelDetector.h"
#include "Infrastructure/LLM/AISettingsStore.h"
#include "support/MemorySecretStore.h"
#include "support/RecordingTextInjector.h"
#include "support/SpeechTestAssets.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

using namespace vocena;

namespace {

constexpr int kRuns = 50;

// 100 characters of everyday speech, with the generated model's 好 in it.
QString transcript() {
    const QString sentence = QStringLiteral("今天天气很好我们出去玩吧下午三点在公园门口见面记得带上水和帽子");
    QString text;
    while (text.size() < 100) text += sentence;
    return text.left(100);
}

double milliseconds(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Logging::install(Logging::Level::Error);
    const test::SpeechTestAssets& assets = test::SpeechTestAssets::shared();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : assets.punctuationModel(QStringLiteral("good"));
    QString error;
    const std::optional<SpeechModel> speech = assets.error.isEmpty() ? assets.loadable(QStringLiteral("good"), &error) : std::nullopt;
    const std::optional<SpeechModel> model = SpeechModelDetector::detect(folder, SpeechModelType::CtTransformerPunctuation, &error);
    SherpaOnnxEngine engine(Scheduler::main());
    if (!speech || !model || !engine.load(*speech, {}, &error)) {
        std::fprintf(stderr, "no model: %s%s\n", qPrintable(assets.error), qPrintable(error));
        return 1;
    }
    const std::unique_ptr<SherpaPunctuator> punctuator = SherpaPunctuator::create(*model, &error);
    if (!punctuator) {
        std::fprintf(stderr, "the punctuation model does not load: %s\n", qPrintable(error));
        return 1;
    }
    const QString text = transcript();
    std::printf("%s\n-> %s\n", qPrintable(text), qPrintable(punctuator->punctuate(text, &error).value_or(error)));

    std::vector<double> direct;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        punctuator->punctuate(text, &error);
        direct.push_back(milliseconds(timer));
    }

    // The pipeline as the app wires it (AI off, typing recorded), the model installed in a store
    // of its own and verified by the built `vocena`.
    QTemporaryDir work;
    Preferences prefs(work.filePath(QStringLiteral("preferences.json")));
    ModelStore store(prefs, work.filePath(QStringLiteral("models")), QStringLiteral(VOCENA_BINARY));
    const auto installing = test::await(store.install(folder, SpeechModelType::CtTransformerPunctuation));
    if (!installing.ok() || !installing.value->ok) {
        std::fprintf(stderr, "cannot install the punctuation model: %s\n", qPrintable(installing.value ? installing.value->message : installing.error));
        return 1;
    }
    TranscriptPunctuator punctuation(prefs, store, engine);
    AISettingsStore settings(prefs, std::make_shared<test::MemorySecretStore>());
    test::RecordingTextInjector keys;
    VoiceInputService service({settings, keys, {}, nullptr, [] { return QString(); }, nullptr, {}, nullptr, &punctuation});
    punctuation.preload();

    const auto pipeline = [&](bool punctuated) {
        prefs.setValue(QString::fromLatin1(TranscriptPunctuator::kEnabledKey), punctuated);
        std::vector<double> samples;
        for (int run = 0; run < kRuns; ++run) {
            const qsizetype before = keys.typed.size();
            service.setRecognizedText(text);
            QElapsedTimer timer;
            timer.start();
            test::await(service.processAndInjectText());
            bench::spinUntil([&] { return keys.typed.size() > before; });
            if (keys.typed.size() > before) samples.push_back(milliseconds(timer));
        }
        return samples;
    };
    const std::vector<double> plain = pipeline(false);
    const std::vector<double> punctuated = pipeline(true);

    bench::report("punctuate 100 characters", direct);
    bench::report("final -> typed, no punctuation", plain);
    bench::report("final -> typed, punctuated", punctuated);
    return plain.size() == kRuns && punctuated.size() == kRuns ? 0 : 1;
}
