#include "Infrastructure/Speech/Recognition/SherpaOfflineRecognizer.h"

#include "Infrastructure/Speech/Audio/AudioSource.h"
#include "Infrastructure/Speech/Recognition/SherpaCall.h"

#include <sherpa-onnx/c-api/c-api.h>

#include <QFileInfo>
#include <algorithm>
#include <vector>

namespace vocena {

std::unique_ptr<SherpaOfflineRecognizer> SherpaOfflineRecognizer::create(const SpeechModel& model, const Options& options,
                                                                          QString* error) {
    if (const QString problem = model.loadProblem(ModelKind::finalPass); !problem.isEmpty()) {
        if (error) *error = problem;
        return nullptr;
    }
    // The config keeps pointers into these until the recognizer exists.
    const QByteArray file = QFile::encodeName(model.filePath(QStringLiteral("model")));
    const QByteArray tokens = QFile::encodeName(model.filePath(QStringLiteral("tokens")));
    QTemporaryFile providerConfig;
    const QByteArray provider = sherpaProvider(options.cpuMemoryArena, providerConfig);

    SherpaOnnxOfflineRecognizerConfig config{};
    config.feat_config.sample_rate = AudioSource::kSampleRate;
    config.feat_config.feature_dim = 80;
    switch (model.type) {
    case SpeechModelType::OfflineZipformerCtc: config.model_config.zipformer_ctc.model = file.constData(); break;
    case SpeechModelType::OfflineParaformer: config.model_config.paraformer.model = file.constData(); break;
    case SpeechModelType::SenseVoice:
        config.model_config.sense_voice.model = file.constData();
        config.model_config.sense_voice.language = "auto";
        config.model_config.sense_voice.use_itn = 1;
        break;
    default: break;  // refused above
    }
    config.model_config.tokens = tokens.constData();
    config.model_config.num_threads = std::max(1, options.numThreads);
    config.model_config.provider = provider.constData();
    config.decoding_method = "greedy_search";

    const SherpaOnnxOfflineRecognizer* recognizer = nullptr;
    if (!guardedSherpaCall("加载模型", error, [&] { recognizer = SherpaOnnxCreateOfflineRecognizer(&config); })) return nullptr;
    if (!recognizer) {
        if (error) *error = QStringLiteral("语音识别库拒绝了模型 %1").arg(model.directory);
        return nullptr;
    }
    return std::unique_ptr<SherpaOfflineRecognizer>(
        new SherpaOfflineRecognizer(recognizer, model.type == SpeechModelType::SenseVoice));
}

SherpaOfflineRecognizer::~SherpaOfflineRecognizer() {
    guardedSherpaCall("释放识别器", nullptr, [this] { SherpaOnnxDestroyOfflineRecognizer(m_recognizer); });
}

std::optional<QString> SherpaOfflineRecognizer::recognize(const float* samples, int count, QString* error) {
    std::vector<float> padded;
    if (count < kMinimumSamples) {
        padded.assign(samples, samples + std::max(0, count));
        padded.resize(kMinimumSamples, 0.0f);
        samples = padded.data();
        count = kMinimumSamples;
    }
    const SherpaOnnxOfflineStream* stream = nullptr;
    if (!guardedSherpaCall("创建识别流", error, [&] { stream = SherpaOnnxCreateOfflineStream(m_recognizer); })) return std::nullopt;
    if (!stream) {
        if (error) *error = QStringLiteral("创建识别流失败");
        return std::nullopt;
    }
    std::optional<QString> text;
    guardedSherpaCall("识别", error, [&] {
        SherpaOnnxAcceptWaveformOffline(stream, AudioSource::kSampleRate, samples, count);
        SherpaOnnxDecodeOfflineStream(m_recognizer, stream);
        const SherpaOnnxOfflineRecognizerResult* result = SherpaOnnxGetOfflineStreamResult(stream);
        text = QString::fromUtf8(result && result->text ? result->text : "").trimmed();
        if (result) SherpaOnnxDestroyOfflineRecognizerResult(result);
    });
    guardedSherpaCall("释放识别流", nullptr, [&] { SherpaOnnxDestroyOfflineStream(stream); });
    return text;
}

}  // namespace vocena
